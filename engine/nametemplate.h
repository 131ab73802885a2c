#pragma once
// Output names from a template such as "{name}_{n:02} {title}". Fields:
//   {name}    the source's display name up to its first "." (as nameBase)
//   {n}       the piece's number, 1 for the first piece of its source
//   {count}   the number of pieces cut from its source
//   {title}   the piece's own title (from a cue sheet or a label), or ""
//   {artist}  the piece's performer, else the source's artist
//   {album}   the cue sheet's title, else the source's album
//   {start}   where the piece starts in its source, "hh-mm-ss" (".mmm" added
//             when it is not a whole second)
//   {free}    the first number from 1 at which the name names nothing yet
// A number takes a width: "{n:02}" gives "03". "{{" and "}}" write braces.
// The default template gives the names the program always gave.

#include "engine/outputnaming.h"

#include <cstdint>
#include <string>

namespace brisklet::engine {

inline const std::string defaultNameTemplate = "{name}_{free}";

struct NameFields {
    std::string displayName; // the source's caption; {name} is its base
    int number = 1;
    int count = 1;
    std::string title;
    std::string artist;
    std::string album;
    int64_t startMs = 0;
};

// "" for a usable template, else why not ("unknown field {x}", "unclosed {").
std::string checkNameTemplate(const std::string& nameTemplate);

// folder + the name the template gives + extension, cleaned as every output
// name is and never naming anything that exists: without {free}, a taken name
// gets "_2", "_3", ... before its extension. An empty {name} and an empty
// result become "untitled"; text fields are shortened (at a character
// boundary, the longest first) so that the name fits. A template that
// checkNameTemplate refuses is used as the default one.
std::string templatedOutputPath(const std::string& folder, const std::string& nameTemplate,
                                const NameFields& fields, const std::string& extension,
                                const PathExists& exists = pathExists);

} // namespace brisklet::engine
