// Several chains in one thread: the loop that plays them side by side
// against chains played one at a time, a part of the pass on chains against
// one chain, and whole pictures on threads times chains against the plain
// step functions, for chosen edges and for random settings and checksums.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "chain_loop.hpp"
#include "chains.hpp"
#include "fingerprint.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "step_by_step.hpp"

namespace {

constexpr unsigned seed = 1700000000;

std::vector<affine_map> maps_of(const std::string& checksum) {
    std::vector<digit_group> groups;
    for (std::size_t at = 0; at + 8 <= checksum.size(); at += 8) {
        groups.push_back(decode_group(reinterpret_cast<const unsigned char*>(&checksum[at])));
    }
    return build_maps(groups);
}

const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
const std::string sha1 = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
// fff00000 stretches by about 1.56 at every application: the points run
// away to infinity and NaN, and no guess ever meets the truth
const std::string escaping = "fff00000fff00000fff00000";

// What a part of the pass needs, for one run and its maps.
struct pass_of {
    settings run;
    std::vector<affine_map> maps;
    plotting_setup setup;
    step_players players;
    random_stream first_draws{seed}; // where the plotting pass's first draw comes from
};

pass_of pass_for(const std::string& checksum, int resolution, int color_mode, int background) {
    pass_of made;
    made.run.resolution = resolution;
    made.run.color_mode = color_mode;
    made.run.background = background;
    made.run.map_count = static_cast<int>(checksum.size() / 8);
    made.maps = maps_of(checksum);
    const frame framed = frame_attractor(resolution, made.maps, made.first_draws);
    made.setup = plotting_setup_for(made.run, made.maps, framed);
    made.players = step_players_for(color_mode, is_power_of_two(made.run.map_count),
                                    counting_for(background, color_mode).saturates);
    return made;
}

std::vector<std::uint8_t> zero_counts(const plotting_setup& setup) {
    return blank_picture(setup.resolution, 0).image;
}

// The loop over chains, given chains whose blocks stand at different
// places, so that one runs out of ready draws before the others and, in the
// mixed colouring, a step's two draws straddle a block: the same points and
// counts as each chain played by itself.
template <int mode, int chain_count> void expect_chains_play_as_one_each(int resolution) {
    const pass_of made = pass_for(md5, resolution, mode, 0);
    const plotting_setup& setup = made.setup;
    const std::int64_t first = setup.warm_up_steps + 1;
    const std::int64_t steps = 2000; // several blocks of every chain
    std::vector<chain> chains;
    for (int c = 0; c < chain_count; ++c) {
        random_stream draws = made.first_draws;
        draws.discard(static_cast<std::uint64_t>(first + c * steps) * setup.draws_per_step);
        draws.discard(static_cast<std::uint64_t>(37 * c + 1)); // a block at another place
        chains.push_back(chain{game_position{double2{0.1 * c, 0.2}, c}, draws, first + c * steps});
    }
    std::vector<chain> alone = chains;
    std::vector<std::uint8_t> side_by_side = zero_counts(setup);
    std::vector<std::uint8_t> one_by_one = zero_counts(setup);
    play_chains<mode, true, true, chain_count>(setup, chains.data(), steps, side_by_side.data());
    for (chain& one : alone) {
        one.at = play_steps<mode, true, true>(setup, one.at, one.draws, one.step, one.step + steps,
                                              one_by_one.data());
    }
    EXPECT_TRUE(side_by_side == one_by_one) << chain_count << " chains in colouring " << mode;
    for (int c = 0; c < chain_count; ++c) {
        EXPECT_TRUE(same_position(chains[c].at, alone[c].at)) << "chain " << c;
        EXPECT_EQ(chains[c].step, alone[c].step + steps) << "chain " << c;
        EXPECT_EQ(chains[c].draws(), alone[c].draws()) << "chain " << c << "'s generator";
    }
}

TEST(ChainLoop, PlaysEachChainAsItAloneWouldBe) {
    expect_chains_play_as_one_each<color_gray, 2>(40);
    expect_chains_play_as_one_each<color_mixed, 3>(40);
    expect_chains_play_as_one_each<color_areas, 4>(40);
    expect_chains_play_as_one_each<color_mixed, 8>(7);
}

TEST(ChainsFor, AsManyAsAskedWhileEachChainOutlastsItsLeadIn) {
    EXPECT_EQ(chains_for(1'000'000, 4, 512), 4);
    EXPECT_EQ(chains_for(1'000'000, 0, 512), 1);
    EXPECT_EQ(chains_for(1'000'000, -3, 512), 1);
    EXPECT_EQ(chains_for(1'000'000, 100, 512), max_chains);
    // chains of at least four lead-ins: 3 chains of 2048 steps, not 4
    EXPECT_EQ(chains_for(3 * 2048, 4, 512), 3);
    EXPECT_EQ(chains_for(3 * 2048 - 1, 4, 512), 2);
    EXPECT_EQ(chains_for(2047, 8, 512), 1);
    // and never shorter than 256 steps, even without a lead-in
    EXPECT_EQ(chains_for(512, 8, 0), 2);
    EXPECT_EQ(chains_for(0, 8, 0), 1);
}

struct part_case {
    std::string checksum;
    int resolution, color_mode, background;
    std::int64_t first, end; // the part's steps; -1: the pass's last
    int lead_in;
    bool guesses_hold;
};

void PrintTo(const part_case& c, std::ostream* os) {
    *os << c.checksum.substr(0, 16) << "… R " << c.resolution << " colouring " << c.color_mode
        << " B " << c.background << " steps " << c.first << " to " << c.end << " lead-in "
        << c.lead_in;
}

class ChainedPart : public testing::TestWithParam<part_case> {};

// A part on 1 to 8 chains counts what one chain counts, ends where it
// ends, and is played again exactly when a chain's guess is off.
TEST_P(ChainedPart, CountsWhatOneChainCounts) {
    const part_case& c = GetParam();
    const pass_of made = pass_for(c.checksum, c.resolution, c.color_mode, c.background);
    const plotting_setup& setup = made.setup;
    const std::int64_t end = c.end < 0 ? setup.steps : c.end;
    random_stream draws = made.first_draws;
    draws.discard(static_cast<std::uint64_t>(c.first) * setup.draws_per_step);
    // Colour 0, as the pass starts: the gray colouring never changes it.
    const game_position start{double2{0.25, -0.5}, 0};
    std::vector<std::uint8_t> one = zero_counts(setup);
    step_meter meter;
    bool replayed = true;
    const game_position one_finish = play_part(setup, made.players, start, draws, c.first, end, one,
                                               1, c.lead_in, meter, nullptr, &replayed);
    EXPECT_FALSE(replayed);
    EXPECT_EQ(meter.done, end - c.first);
    for (int chain_count : {2, 3, 5, 8}) {
        std::vector<std::uint8_t> many = zero_counts(setup);
        const game_position finish =
            play_part(setup, made.players, start, draws, c.first, end, many, chain_count, c.lead_in,
                      meter, nullptr, &replayed);
        EXPECT_TRUE(many == one) << chain_count << " chains";
        EXPECT_TRUE(same_position(finish, one_finish)) << chain_count << " chains";
        const bool chained = chains_for(end - std::max(c.first, setup.warm_up_steps + 1),
                                        chain_count, c.lead_in) > 1;
        EXPECT_EQ(replayed, chained && !c.guesses_hold) << chain_count << " chains";
    }
}

INSTANTIATE_TEST_SUITE_P(
    GuessesAndWarmUp, ChainedPart,
    testing::Values(
        // the whole pass, the warm-up included, each colouring and kind of count
        part_case{md5, 60, color_mixed, 0, 0, -1, 512, true},
        part_case{md5, 60, color_gray, 255, 0, -1, 512, true},
        part_case{sha1, 60, color_areas, -1, 0, -1, 512, true},
        // a part that begins past the warm-up, one that ends inside it, and
        // one that ends on the warm-up's last step
        part_case{md5, 60, color_mixed, 200, 40'000, 90'000, 512, true},
        part_case{md5, 60, color_areas, 0, 0, 2000, 512, true},
        part_case{md5, 60, color_gray, 0, 100, 3001, 512, true},
        // no lead-in: every chain but the first starts from the starting
        // position, which no chain ends on
        part_case{md5, 60, color_mixed, 0, 0, -1, 0, false},
        // points that run away: no guess ever holds
        part_case{escaping, 60, color_mixed, 0, 0, -1, 512, false},
        part_case{escaping, 60, color_gray, 0, 5000, 60'000, 64, false}));

struct picture_case {
    std::string checksum;
    settings run;
    thread_plan plan;
};

// The picture and where the generator stands after it, by the plain step
// functions and by render on the given plan.
void expect_as_step_by_step(const picture_case& c, const std::string& what) {
    const std::vector<affine_map> maps = maps_of(c.checksum);
    random_stream reference_draws(seed);
    const picture reference = render_step_by_step(c.run, maps, reference_draws);
    random_stream draws(seed);
    const picture drawn = render(c.run, maps, draws, c.plan);
    ASSERT_EQ(drawn.image.size(), reference.image.size()) << what;
    EXPECT_TRUE(std::equal(reference.image.begin(),
                           reference.image.end() - (drawn.image.empty() ? 0 : 1),
                           drawn.image.begin()))
        << what << ": another picture";
    EXPECT_EQ(reference_draws(), draws()) << what << ": the generator stands elsewhere";
}

std::string describe(const picture_case& c) {
    return c.checksum + " -r " + std::to_string(c.run.resolution) + " -i " +
           std::to_string(c.run.intensity) + " -b " + std::to_string(c.run.background) +
           " colouring " + std::to_string(c.run.color_mode) + ", " +
           std::to_string(c.plan.threads) + " threads x " + std::to_string(c.plan.chains) +
           " chains, lead-in " + std::to_string(c.plan.lead_in_steps);
}

TEST(ChainedThreads, DrawWhatTheStepFunctionsDrawOnEveryPlan) {
    for (const std::string& checksum : {md5, sha1, escaping}) {
        for (int mode : {color_gray, color_mixed, color_areas}) {
            picture_case c{checksum, settings{}, thread_plan{}};
            c.run.resolution = 50;
            c.run.color_mode = mode;
            c.run.map_count = static_cast<int>(checksum.size() / 8);
            for (int threads : {1, 2, 3}) {
                for (int chains : {0, 1, 2, 4, 8}) {
                    c.plan = thread_plan{threads, 512, chains};
                    expect_as_step_by_step(c, describe(c));
                }
            }
        }
    }
}

std::string random_checksum(std::mt19937& generator, int digits) {
    static const char hex[] = "0123456789abcdef";
    std::string checksum;
    for (int i = 0; i < digits; ++i) {
        checksum += hex[generator() % 16];
    }
    return checksum;
}

// 200 random checksums of 1 to 16 maps, with random sizes, intensities,
// backgrounds and colourings, each drawn on 1, 2 and 3 threads of a random
// number of chains and lead-in, against the plain step functions.
TEST(ChainedThreads, DrawWhatTheStepFunctionsDrawForRandomSettings) {
    std::mt19937 generator(20261209);
    const int backgrounds[] = {0, 255, 200, 100, 256, -1, 1000};
    for (int i = 0; i < 200; ++i) {
        picture_case c{random_checksum(generator, 8 * (1 + static_cast<int>(generator() % 16))),
                       settings{}, thread_plan{}};
        c.run.map_count = static_cast<int>(c.checksum.size() / 8);
        c.run.resolution = 1 + static_cast<int>(generator() % 48);
        c.run.intensity = static_cast<int>(generator() % 40);
        c.run.background = backgrounds[generator() % 7];
        c.run.color_mode = static_cast<int>(generator() % 3);
        const int chains = 2 + static_cast<int>(generator() % 7);
        const int lead_in = generator() % 4 == 0 ? 32 : 512;
        for (int threads : {1, 2, 3}) {
            c.plan = thread_plan{threads, lead_in, chains};
            expect_as_step_by_step(c, "case " + std::to_string(i) + ": " + describe(c));
        }
    }
}

} // namespace
