/* draw()'s keywords into the library's options. Every name, range and
 * value name comes from the library's table at run time, so an option that
 * a newer library adds is a keyword here without a change. */
#include <time.h>

#include "binding.h"

/* Option numbers are fixed but may leave gaps where an option was retired;
 * a gap this long ends the table. */
enum { longest_gap = 64, most_value_names = 64 };

int next_option(int option) {
    for (int next = option + 1; next <= option + longest_gap; ++next)
        if (tessadox_option_name(next) != NULL)
            return next;
    return 0;
}

int option_has_value_names(int option) {
    long long lowest = 0;
    return tessadox_option_range(option, NULL, &lowest, NULL) == TESSADOX_OK &&
           tessadox_option_value_name(option, lowest) != NULL;
}

PyObject* option_value_object(int option, long long value) {
    const char* name = tessadox_option_value_name(option, value);
    return name != NULL ? PyUnicode_FromString(name) : PyLong_FromLongLong(value);
}

/* What the option takes, for a refusal: "1 to 1000", or "'gray', 'mixed'
 * or 'areas'". */
static PyObject* accepted_values(int option) {
    long long lowest = 0, highest = 0;
    tessadox_option_range(option, NULL, &lowest, &highest);
    if (!option_has_value_names(option))
        return PyUnicode_FromFormat("%lld to %lld", lowest, highest);
    PyObject* names = PyList_New(0);
    for (long long value = lowest;
         names != NULL && value <= highest && value < lowest + most_value_names; ++value) {
        PyObject* name = PyUnicode_FromFormat("'%s'", tessadox_option_value_name(option, value));
        if (name == NULL || PyList_Append(names, name) < 0)
            Py_CLEAR(names);
        Py_XDECREF(name);
    }
    if (names == NULL)
        return NULL;
    PyObject* last = PyList_GET_SIZE(names) > 1 ? PySequence_GetItem(names, -1) : NULL;
    if (last != NULL)
        PySequence_DelItem(names, -1);
    PyObject* comma = PyUnicode_FromString(", ");
    PyObject* text = comma != NULL ? PyUnicode_Join(comma, names) : NULL;
    PyObject* result = text != NULL && last != NULL ? PyUnicode_FromFormat("%U or %U", text, last)
                                                    : Py_XNewRef(text);
    Py_XDECREF(comma);
    Py_XDECREF(text);
    Py_XDECREF(last);
    Py_DECREF(names);
    return result;
}

static int refuse_value(module_state* state, int option, PyObject* name, PyObject* value,
                        int code) {
    PyObject* accepted = accepted_values(option);
    if (accepted == NULL)
        return -1;
    PyObject* message =
        PyUnicode_FromFormat("%U=%R: %s (%U)", name, value, tessadox_error_text(code), accepted);
    Py_DECREF(accepted);
    if (message != NULL) {
        raise_library_error(state, code, message);
        Py_DECREF(message);
    }
    return -1;
}

/* The number that `value` stands for: an int (or anything with
 * __index__), or one of the option's value names. */
static int read_value(int option, PyObject* name, PyObject* value, long long* number) {
    if (PyUnicode_Check(value) && option_has_value_names(option)) {
        const char* text = PyUnicode_AsUTF8(value);
        if (text == NULL)
            return -1;
        return tessadox_option_value_by_name(option, text, number);
    }
    if (!PyIndex_Check(value)) {
        PyErr_Format(PyExc_TypeError, "draw() argument '%U' must be %s, not %.200s", name,
                     option_has_value_names(option) ? "str or int" : "int",
                     Py_TYPE(value)->tp_name);
        return -1;
    }
    PyObject* index = PyNumber_Index(value);
    if (index == NULL)
        return -1;
    int overflow = 0;
    *number = PyLong_AsLongLongAndOverflow(index, &overflow);
    Py_DECREF(index);
    if (*number == -1 && PyErr_Occurred())
        return -1;
    return overflow != 0 ? TESSADOX_E_RANGE : TESSADOX_OK;
}

static int set_option(module_state* state, tessadox_options* options, PyObject* name,
                      PyObject* value) {
    const char* text = PyUnicode_AsUTF8(name);
    if (text == NULL)
        return -1;
    int option = tessadox_option_by_name(text);
    if (option < 0) {
        PyErr_Format(PyExc_TypeError, "draw() got an unexpected keyword argument '%U'", name);
        return -1;
    }
    long long number = 0;
    int code = read_value(option, name, value, &number);
    if (code == TESSADOX_OK)
        code = tessadox_options_set(options, option, number);
    if (PyErr_Occurred())
        return -1;
    // TESSADOX_CLAMPED is no refusal: the value is replaced as the command
    // replaces it, and the picture's options tell what was drawn.
    return code < 0 ? refuse_value(state, option, name, value, code) : 0;
}

static int read_progress(PyObject* value, PyObject** progress) {
    if (value != Py_None && !PyCallable_Check(value)) {
        PyErr_Format(PyExc_TypeError,
                     "draw() argument 'progress' must be callable or None, not %.200s",
                     Py_TYPE(value)->tp_name);
        return -1;
    }
    *progress = value == Py_None ? NULL : value;
    return 0;
}

tessadox_options* options_from_keywords(module_state* state, PyObject* keywords,
                                        PyObject** progress) {
    *progress = NULL;
    tessadox_options* options = tessadox_options_new();
    if (options == NULL)
        return (tessadox_options*)PyErr_NoMemory();
    // A binding reads checksums whole, whatever their length, and scatters
    // its points by the current second as the command does.
    tessadox_options_set(options, TESSADOX_CHECKSUM_LENGTH, 0);
    tessadox_options_set(options, TESSADOX_SEED, (long long)time(NULL));

    Py_ssize_t position = 0;
    PyObject *name = NULL, *value = NULL;
    while (keywords != NULL && PyDict_Next(keywords, &position, &name, &value)) {
        int failed = PyUnicode_CompareWithASCIIString(name, "progress") == 0
                         ? read_progress(value, progress)
                         : set_option(state, options, name, value);
        if (failed) {
            tessadox_options_free(options);
            return NULL;
        }
    }
    return options;
}
