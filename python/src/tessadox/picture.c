/* tessadox.Picture: a drawn picture, its pixels through the buffer
 * protocol, so that numpy, Pillow and memoryview read them where they lie,
 * and its PNG bytes. */
#include "binding.h"

typedef struct {
    PyObject_HEAD tessadox_picture* picture;
    /* The pixels as rows, columns and channels: what a buffer's shape and
     * strides point to while it is exported. */
    Py_ssize_t shape[3];
    Py_ssize_t strides[3];
} picture_object;

PyObject* new_picture(module_state* state, tessadox_picture* picture) {
    picture_object* self = PyObject_New(picture_object, state->picture_type);
    if (self == NULL) {
        tessadox_picture_free(picture);
        return NULL;
    }
    Py_ssize_t size = tessadox_picture_size(picture);
    self->picture = picture;
    self->shape[0] = self->shape[1] = size;
    self->shape[2] = 3;
    self->strides[0] = size * 3;
    self->strides[1] = 3;
    self->strides[2] = 1;
    return (PyObject*)self;
}

static void picture_dealloc(picture_object* self) {
    PyTypeObject* type = Py_TYPE(self);
    tessadox_picture_free(self->picture);
    PyObject_Free(self);
    Py_DECREF(type);
}

static int picture_getbuffer(picture_object* self, Py_buffer* view, int flags) {
    if (flags & PyBUF_WRITABLE) {
        view->obj = NULL;
        PyErr_SetString(PyExc_BufferError, "a picture's pixels are read-only");
        return -1;
    }
    // Rows, then columns, then channels, without gaps: any layout that a
    // consumer asks for (simple, C-contiguous, strided) is this one.
    int shaped = (flags & PyBUF_ND) == PyBUF_ND;
    view->obj = Py_NewRef(self);
    view->buf = (void*)tessadox_picture_pixels(self->picture);
    view->len = self->shape[0] * self->strides[0];
    view->readonly = 1;
    view->itemsize = 1;
    view->format = (flags & PyBUF_FORMAT) ? "B" : NULL;
    view->ndim = shaped ? 3 : 1;
    view->shape = shaped ? self->shape : NULL;
    view->strides = (flags & PyBUF_STRIDES) == PyBUF_STRIDES ? self->strides : NULL;
    view->suboffsets = NULL;
    view->internal = NULL;
    return 0;
}

static PyObject* picture_size(picture_object* self, void* unused) {
    (void)unused;
    return PyLong_FromSsize_t(self->shape[0]);
}

static PyObject* picture_options(picture_object* self, void* unused) {
    (void)unused;
    PyObject* options = PyDict_New();
    for (int option = next_option(0); options != NULL && option != 0;
         option = next_option(option)) {
        long long value = 0;
        if (tessadox_picture_option(self->picture, option, &value) != TESSADOX_OK)
            continue;
        PyObject* shown = option_value_object(option, value);
        if (shown == NULL || PyDict_SetItemString(options, tessadox_option_name(option), shown) < 0)
            Py_CLEAR(options);
        Py_XDECREF(shown);
    }
    return options;
}

static PyObject* picture_png(picture_object* self, PyObject* unused) {
    (void)unused;
    unsigned char* png = NULL;
    size_t png_size = 0;
    int code;
    Py_BEGIN_ALLOW_THREADS code = tessadox_encode_png(self->picture, &png, &png_size);
    Py_END_ALLOW_THREADS if (code != TESSADOX_OK) return raise_library_error(
        PyType_GetModuleState(Py_TYPE(self)), code, NULL);
    PyObject* bytes = PyBytes_FromStringAndSize((const char*)png, (Py_ssize_t)png_size);
    tessadox_png_free(png);
    return bytes;
}

/* The picture as Pillow shows its PNG: RGB, and where the background is
 * transparent, that colour named as the PNG's transparent one. */
static PyObject* picture_to_pil(picture_object* self, PyObject* unused) {
    (void)unused;
    long long transparent = 0, background = 0;
    tessadox_picture_option(self->picture, TESSADOX_TRANSPARENT, &transparent);
    tessadox_picture_option(self->picture, TESSADOX_BACKGROUND, &background);
    PyObject* image_module = PyImport_ImportModule("PIL.Image");
    if (image_module == NULL)
        return NULL;
    PyObject* image =
        PyObject_CallMethod(image_module, "frombuffer", "s(nn)Ossii", "RGB", self->shape[0],
                            self->shape[0], (PyObject*)self, "raw", "RGB", 0, 1);
    Py_DECREF(image_module);
    if (image == NULL || !transparent)
        return image;
    // The PNG's transparent colour is the low 16 bits of the background in
    // each channel; only a background of 0 to 255 can be drawn transparent.
    int level = (int)(background & 0xffff);
    PyObject* info = PyObject_GetAttrString(image, "info");
    PyObject* colour = info != NULL ? Py_BuildValue("(iii)", level, level, level) : NULL;
    int failed = colour == NULL || PyMapping_SetItemString(info, "transparency", colour) < 0;
    Py_XDECREF(colour);
    Py_XDECREF(info);
    if (failed)
        Py_CLEAR(image);
    return image;
}

static PyObject* picture_repr(picture_object* self) {
    return PyUnicode_FromFormat("<tessadox.Picture %zd x %zd>", self->shape[0], self->shape[0]);
}

static PyMethodDef picture_methods[] = {
    {"png", (PyCFunction)picture_png, METH_NOARGS,
     "png($self, /)\n--\n\n"
     "The picture as PNG bytes: the very bytes that the tessadox command writes\n"
     "for the same checksum, options and seed."},
    {"to_pil", (PyCFunction)picture_to_pil, METH_NOARGS,
     "to_pil($self, /)\n--\n\n"
     "The picture as a PIL.Image.Image in RGB (needs Pillow). A transparent\n"
     "background is the image's info['transparency'], as when Pillow opens the PNG."},
    {NULL, NULL, 0, NULL},
};

static PyGetSetDef picture_getset[] = {
    {"size", (getter)picture_size, NULL, "The picture's width and height in pixels.", NULL},
    {"options", (getter)picture_options, NULL,
     "The options the picture was drawn with, by name, as the library resolved\n"
     "them: checksum_length is the number of characters it read, a clamped\n"
     "resolution the one it drew, color_mode its name.",
     NULL},
    {NULL, NULL, NULL, NULL, NULL},
};

static PyType_Slot picture_slots[] = {
    {Py_tp_doc, "A picture drawn by tessadox.draw().\n\n"
                "Its pixels are a read-only buffer of unsigned bytes, shaped (size, size, 3):\n"
                "rows from the top, columns from the left, and each pixel's channels in the\n"
                "order the PNG holds them (red, green, blue; blue, green, red with flip_bgr).\n"
                "memoryview(picture), numpy.asarray(picture) and bytes(picture) read them\n"
                "without a copy but the last."},
    {Py_tp_dealloc, picture_dealloc},
    {Py_tp_repr, picture_repr},
    {Py_tp_methods, picture_methods},
    {Py_tp_getset, picture_getset},
    {Py_bf_getbuffer, picture_getbuffer},
    {0, NULL},
};

PyType_Spec picture_spec = {
    .name = "tessadox.Picture",
    .basicsize = sizeof(picture_object),
    .flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION | Py_TPFLAGS_IMMUTABLETYPE,
    .slots = picture_slots,
};
