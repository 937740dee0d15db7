/* Draws the checksum given as the first argument into the PNG file named by
 * the second, as `echo -n CHECKSUM | SOURCE_DATE_EPOCH=1700000000 tessadox
 * -r 200 > FILE` would.
 *
 *   cc draw_checksum.c $(pkg-config --cflags --libs tessadox) -o draw_checksum
 *   ./draw_checksum "$(md5sum < photo.jpg)" photo.png
 */
#include <stdio.h>
#include <string.h>
#include <tessadox/tessadox.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s CHECKSUM PICTURE.png\n", argv[0]);
        return 2;
    }
    tessadox_options *options = tessadox_options_new();
    int code = options == NULL ? TESSADOX_E_NO_MEMORY : TESSADOX_OK;
    if (code == TESSADOX_OK) {
        code = tessadox_options_set(options, tessadox_option_by_name("resolution"), 200);
    }
    if (code == TESSADOX_OK) { /* the same bytes on every run */
        code = tessadox_options_set(options, TESSADOX_SEED, 1700000000);
    }

    tessadox_picture *picture = NULL;
    unsigned char *png = NULL;
    size_t png_size = 0;
    if (code == TESSADOX_OK) {
        code = tessadox_draw(argv[1], strlen(argv[1]), options, NULL, NULL, &picture);
    }
    if (code == TESSADOX_OK) {
        code = tessadox_encode_png(picture, &png, &png_size);
    }
    tessadox_picture_free(picture);
    tessadox_options_free(options);
    if (code != TESSADOX_OK) {
        fprintf(stderr, "draw_checksum: %s\n", tessadox_error_text(code));
        return 1;
    }

    FILE *out = fopen(argv[2], "wb");
    const int written = out != NULL && fwrite(png, 1, png_size, out) == png_size;
    tessadox_png_free(png);
    if (out == NULL || fclose(out) != 0 || !written) {
        perror(argv[2]);
        return 1;
    }
    return 0;
}
