// The chaos game: a framing pass that measures where the attractor lies, and
// a plotting pass that draws it into the picture.
#pragma once

#include <cstdint>
#include <exception>
#include <vector>

#include "chunks.hpp"
#include "fingerprint.hpp"
#include "picture.hpp"
#include "random_stream.hpp"
#include "settings.hpp"

// What render throws when the progress function stopped the draw, once
// every thread of it has ended and all its memory is freed: with the steps
// that the threads had played by then.
struct draw_stopped : std::exception {
    std::int64_t steps_done = 0;

    explicit draw_stopped(std::int64_t steps) : steps_done(steps) {}
    const char* what() const noexcept override {
        return "the progress function stopped the draw";
    }
};

// Frames the attractor, then plays the plotting pass into a new picture,
// drawing from `draws` and leaving it where one thread would. Reports the
// steps done to `progress`, and tells how many chunks had to be played
// again in *replayed_chunks when given. Throws draw_stopped when `progress`
// stops the draw (`draws` then stands anywhere), std::bad_alloc when there
// is not memory enough for one thread.
picture render(const settings& run, const std::vector<affine_map>& maps, random_stream& draws,
               const thread_plan& plan = {}, progress_report progress = {},
               int* replayed_chunks = nullptr);
