/* What the parts of the extension share: the module's state and the
 * functions that one part offers the others. */
#ifndef TESSADOX_PYTHON_BINDING_H
#define TESSADOX_PYTHON_BINDING_H

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <tessadox/tessadox.h>

/* Kept in the module rather than in globals, so that every interpreter
 * that imports the module has its own. */
typedef struct {
    PyObject* error;            /* tessadox.TessadoxError */
    PyTypeObject* picture_type; /* tessadox.Picture */
    PyTypeObject* option_type;  /* tessadox.OptionRange */
} module_state;

module_state* module_state_of(PyObject* module);

/* Raises TessadoxError for the library's `code`, with `message` or, when
 * it is NULL, the library's sentence. Answers NULL. */
PyObject* raise_library_error(module_state* state, int code, PyObject* message);

/* The option numbers of the library's table in order: the first after
 * `option` (0 to begin with), or 0 after the last. */
int next_option(int option);

/* Whether the option's values have names ("gray", "mixed", "areas"). */
int option_has_value_names(int option);

/* The option's value as Python shows it: its name where it has one, else
 * the number. */
PyObject* option_value_object(int option, long long value);

/* Options from draw()'s keywords, on top of the binding's own defaults;
 * the keyword "progress" goes to *progress (borrowed, NULL when absent or
 * None). NULL with an exception set when a keyword is refused. */
tessadox_options* options_from_keywords(module_state* state, PyObject* keywords,
                                        PyObject** progress);

extern PyType_Spec picture_spec;

/* A new tessadox.Picture that owns `picture` (freed on failure too). */
PyObject* new_picture(module_state* state, tessadox_picture* picture);

#endif
