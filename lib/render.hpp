// The chaos game: a framing pass that measures where the attractor lies, and
// a plotting pass that draws it into the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "chunks.hpp"
#include "fingerprint.hpp"
#include "picture.hpp"
#include "random_stream.hpp"
#include "settings.hpp"

// What render throws when its progress function asked it to stop, once
// every thread of the pass has stopped.
struct draw_stopped {};

// Frames the attractor, then plays the plotting pass into a new picture,
// drawing from `draws` and leaving it where one thread would. Reports the
// steps done to `progress`, and tells how many chunks had to be
// played again in *replayed_chunks when given.
picture render(const settings& run, const std::vector<affine_map>& maps, random_stream& draws,
               const thread_plan& plan = {}, progress_report progress = {},
               int* replayed_chunks = nullptr);
