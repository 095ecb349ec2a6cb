// veskal-feed's picture: the efficiencies of one frequency's feed against
// f/D with the optimum marked, and below them the edge tapers and the edge
// illumination.
#pragma once

#include <string>
#include <vector>

#include "tables/feed_table.hpp"

namespace feed {

struct Picture {
  std::string title;     // the horn or the pattern file
  std::string subtitle;  // the model and the frequency
  std::string verdict;   // where the model lies outside its domain; empty within it
  double f_over_d_from, f_over_d_to;
};

// The curves are computed here from the feed, at picture_points values of
// f/D; `rows` (the given reflectors and the optimum) are marked on them.
inline constexpr int picture_points = 121;
std::string to_svg(FrequencyFeed& f, const std::vector<Row>& rows, const Picture& picture);

}  // namespace feed
