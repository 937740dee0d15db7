#include "framing.hpp"

frame frame_box(double least_x, double greatest_x, double least_y, double greatest_y) {
    const double width = (greatest_x - least_x) * 1.05;
    const double height = (greatest_y - least_y) * 1.05;
    const double larger_side = width > height ? width : height;
    frame framed;
    framed.scale = 1.0 / larger_side; // a box of zero size gives +infinity: nothing is drawn
    framed.center_x = (greatest_x + least_x) * 0.5;
    framed.center_y = (least_y + greatest_y) * 0.5;
    return framed;
}
