#pragma once
// Readable proposals in test failures.

#include "proposals/proposal.h"

#include <ostream>

namespace brisklet::proposals {

inline void PrintTo(const Proposal& p, std::ostream* out)
{
    *out << "{" << p.beginMs << ", " << p.endMs << ", \"" << p.title << "\", \"" << p.artist
         << "\", " << p.number << "}";
}

} // namespace brisklet::proposals
