#pragma once
// The genre names the tag editor offers, in ID3v1 genre-number order. The
// genre is kept and written as free text; the numbers are not used.

#include <array>
#include <string_view>

namespace brisklet::tags::editor {

inline constexpr size_t genreNameCount = 148;

// Index i is the name of ID3v1 genre i ("Blues" is 0, "SynthPop" 147).
extern const std::array<std::string_view, genreNameCount> genreNames;

} // namespace brisklet::tags::editor
