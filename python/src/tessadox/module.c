/* tessadox._tessadox: draw(), the options' table, TessadoxError. The draw
 * runs with the GIL released; the library's progress function takes it
 * back now and then to run the caller's progress callable and, on the main
 * thread, Python's signal handlers, so that Ctrl-C stops a long draw. */
#include "binding.h"

module_state* module_state_of(PyObject* module) {
    return PyModule_GetState(module);
}

PyObject* raise_library_error(module_state* state, int code, PyObject* message) {
    PyObject* text = PyUnicode_FromString(tessadox_error_text(code));
    PyObject* error =
        text != NULL ? PyObject_CallOneArg(state->error, message ? message : text) : NULL;
    PyObject* number = PyLong_FromLong(code);
    if (error != NULL && number != NULL && PyObject_SetAttrString(error, "code", number) == 0 &&
        PyObject_SetAttrString(error, "text", text) == 0)
        PyErr_SetObject(state->error, error);
    Py_XDECREF(number);
    Py_XDECREF(error);
    Py_XDECREF(text);
    return NULL;
}

/* What the library's progress function needs while the GIL is released. */
typedef struct {
    PyThreadState* thread; /* the caller's, saved while the draw runs */
    PyObject* progress;    /* the caller's callable, or NULL */
    int on_main_thread;    /* where Python runs its signal handlers */
    PyObject *error_type, *error_value, *error_traceback; /* what stopped the draw */
} draw_context;

static int on_progress(long long steps_done, long long steps, void* data) {
    draw_context* context = data;
    if (context->error_type != NULL)
        return 1;
    PyEval_RestoreThread(context->thread);
    int stop = 0;
    if (context->on_main_thread && PyErr_CheckSignals() < 0) {
        stop = 1;
    } else if (context->progress != NULL) {
        PyObject* answer = PyObject_CallFunction(context->progress, "LL", steps_done, steps);
        stop = answer == NULL ? 1 : PyObject_IsTrue(answer) != 0;
        Py_XDECREF(answer);
    }
    if (PyErr_Occurred())
        PyErr_Fetch(&context->error_type, &context->error_value, &context->error_traceback);
    context->thread = PyEval_SaveThread();
    return stop;
}

static int is_main_thread(int* answer) {
    PyObject* threading = PyImport_ImportModule("threading");
    PyObject* main_thread = threading ? PyObject_CallMethod(threading, "main_thread", NULL) : NULL;
    PyObject* ident = main_thread ? PyObject_GetAttrString(main_thread, "ident") : NULL;
    if (ident != NULL)
        *answer = PyLong_AsUnsignedLong(ident) == PyThread_get_thread_ident();
    Py_XDECREF(ident);
    Py_XDECREF(main_thread);
    Py_XDECREF(threading);
    return ident != NULL && !PyErr_Occurred() ? 0 : -1;
}

/* The checksum's bytes: a str as UTF-8, or any bytes-like object. */
static int checksum_bytes(PyObject* checksum, Py_buffer* view) {
    if (PyUnicode_Check(checksum)) {
        Py_ssize_t size = 0;
        const char* text = PyUnicode_AsUTF8AndSize(checksum, &size);
        return text == NULL ? -1
                            : PyBuffer_FillInfo(view, checksum, (void*)text, size, 1, PyBUF_SIMPLE);
    }
    if (PyObject_CheckBuffer(checksum))
        return PyObject_GetBuffer(checksum, view, PyBUF_SIMPLE);
    PyErr_Format(PyExc_TypeError,
                 "draw() argument 'checksum' must be str or a bytes-like object, not %.200s",
                 Py_TYPE(checksum)->tp_name);
    return -1;
}

static PyObject* draw(PyObject* module, PyObject* arguments, PyObject* keywords) {
    module_state* state = module_state_of(module);
    PyObject* checksum = NULL;
    if (!PyArg_ParseTuple(arguments, "O:draw", &checksum))
        return NULL;
    draw_context context = {0};
    tessadox_options* options = options_from_keywords(state, keywords, &context.progress);
    if (options == NULL)
        return NULL;
    Py_buffer view;
    if (is_main_thread(&context.on_main_thread) < 0 || checksum_bytes(checksum, &view) < 0) {
        tessadox_options_free(options);
        return NULL;
    }
    Py_XINCREF(context.progress);
    int watched = context.progress != NULL || context.on_main_thread;

    tessadox_picture* picture = NULL;
    context.thread = PyEval_SaveThread();
    int code = tessadox_draw(view.buf, (size_t)view.len, options, watched ? on_progress : NULL,
                             &context, &picture);
    PyEval_RestoreThread(context.thread);

    Py_XDECREF(context.progress);
    PyBuffer_Release(&view);
    tessadox_options_free(options);
    if (context.error_type != NULL) {
        tessadox_picture_free(picture);
        PyErr_Restore(context.error_type, context.error_value, context.error_traceback);
        return NULL;
    }
    if (code != TESSADOX_OK)
        return raise_library_error(state, code, NULL);
    return new_picture(state, picture);
}

static PyObject* option_table(PyObject* module, PyObject* unused) {
    (void)unused;
    module_state* state = module_state_of(module);
    PyObject* table = PyDict_New();
    for (int option = next_option(0); table != NULL && option != 0; option = next_option(option)) {
        long long fallback = 0, lowest = 0, highest = 0;
        tessadox_option_range(option, &fallback, &lowest, &highest);
        PyObject* names = PyList_New(0);
        for (long long value = lowest; names != NULL && option_has_value_names(option) &&
                                       value <= highest && value - lowest < 64;
             ++value) {
            PyObject* name = PyUnicode_FromString(tessadox_option_value_name(option, value));
            if (name == NULL || PyList_Append(names, name) < 0)
                Py_CLEAR(names);
            Py_XDECREF(name);
        }
        PyObject* entry = PyStructSequence_New(state->option_type);
        PyObject* values = names != NULL ? PyList_AsTuple(names) : NULL;
        PyObject* fields[] = {option_value_object(option, fallback), PyLong_FromLongLong(lowest),
                              PyLong_FromLongLong(highest), values};
        int complete = entry != NULL;
        for (int field = 0; field < 4; ++field) {
            complete = complete && fields[field] != NULL;
            if (entry != NULL && fields[field] != NULL)
                PyStructSequence_SetItem(entry, field, fields[field]);
            else
                Py_XDECREF(fields[field]);
        }
        if (!complete || PyDict_SetItemString(table, tessadox_option_name(option), entry) < 0)
            Py_CLEAR(table);
        Py_XDECREF(entry);
        Py_XDECREF(names);
    }
    return table;
}

static PyObject* library_version(PyObject* module, PyObject* unused) {
    (void)module;
    (void)unused;
    return PyUnicode_FromString(tessadox_version());
}

static PyMethodDef module_functions[] = {
    {"draw", (PyCFunction)(void (*)(void))draw, METH_VARARGS | METH_KEYWORDS,
     "draw(checksum, /, *, progress=None, **options)\n--\n\n"
     "Draws the picture of a checksum and answers a tessadox.Picture.\n\n"
     "checksum is a str (read as UTF-8) or any bytes-like object, read as the\n"
     "tessadox command reads its standard input. Every option of the library's\n"
     "table is a keyword with its name (tessadox.options() lists them with their\n"
     "defaults and ranges): an int, or for color_mode 'gray', 'mixed' or 'areas'.\n"
     "Two defaults differ from the library's: checksum_length is 0, the\n"
     "checksum's own length, and seed is the current second, as for the command.\n"
     "max_steps bounds the work. progress(steps_done, steps) is called now and\n"
     "then while the draw runs; a true answer stops it (TessadoxError), and so\n"
     "does an exception, which draw() raises, or Ctrl-C (KeyboardInterrupt).\n\n"
     "The draw releases the GIL, so threads draw side by side. A refused option\n"
     "or draw raises TessadoxError, a value of the wrong type TypeError."},
    {"options", option_table, METH_NOARGS,
     "options()\n--\n\n"
     "The library's table of options: a dict from each option's name to its\n"
     "OptionRange (default, lowest, highest, values)."},
    {"library_version", library_version, METH_NOARGS,
     "library_version()\n--\n\n"
     "The version of the libtessadox that is running, such as '3.0'."},
    {NULL, NULL, 0, NULL},
};

static PyStructSequence_Field option_fields[] = {
    {"default", "the library's default value"},
    {"lowest", "the lowest value the option takes"},
    {"highest", "the highest value the option takes"},
    {"values", "the names of the option's values, lowest first; () where they have none"},
    {NULL, NULL},
};

static PyStructSequence_Desc option_description = {
    "tessadox.OptionRange",
    "An option of the library's table: its default, lowest and highest value, and\n"
    "the names of its values where they have names (color_mode's 'gray', 'mixed',\n"
    "'areas'); the default is then a name too.",
    option_fields,
    4,
};

static int module_exec(PyObject* module) {
    module_state* state = module_state_of(module);
    state->error = PyErr_NewExceptionWithDoc(
        "tessadox.TessadoxError",
        "A refusal of the library: an option's value outside its range, a draw\n"
        "stopped or over its max_steps, memory that ran out. code is the library's\n"
        "error code (negative), text its sentence.",
        PyExc_ValueError, NULL);
    state->picture_type = (PyTypeObject*)PyType_FromModuleAndSpec(module, &picture_spec, NULL);
    state->option_type = PyStructSequence_NewType(&option_description);
    if (state->error == NULL || state->picture_type == NULL || state->option_type == NULL)
        return -1;
    if (PyModule_AddObjectRef(module, "TessadoxError", state->error) < 0 ||
        PyModule_AddType(module, state->picture_type) < 0 ||
        PyModule_AddObjectRef(module, "OptionRange", (PyObject*)state->option_type) < 0)
        return -1;
    return PyModule_AddStringConstant(module, "__version__", TESSADOX_VERSION_STRING);
}

static int module_traverse(PyObject* module, visitproc visit, void* arg) {
    module_state* state = module_state_of(module);
    Py_VISIT(state->error);
    Py_VISIT(state->picture_type);
    Py_VISIT(state->option_type);
    return 0;
}

static int module_clear(PyObject* module) {
    module_state* state = module_state_of(module);
    Py_CLEAR(state->error);
    Py_CLEAR(state->picture_type);
    Py_CLEAR(state->option_type);
    return 0;
}

static void module_free(void* module) {
    module_clear(module);
}

static PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, module_exec},
    {0, NULL},
};

static struct PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    .m_name = "tessadox._tessadox",
    .m_doc = "The C extension under the tessadox package; import tessadox instead.",
    .m_size = sizeof(module_state),
    .m_methods = module_functions,
    .m_slots = module_slots,
    .m_traverse = module_traverse,
    .m_clear = module_clear,
    .m_free = module_free,
};

PyMODINIT_FUNC PyInit__tessadox(void) {
    return PyModuleDef_Init(&module_definition);
}
