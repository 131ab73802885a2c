#pragma once
// Every failure of the audio component is an AudioError whose message names the
// file and the reason, e.g. "x.mp3 is not a supported audio file". It is the
// base library's file error, so that a failed output file and a failed encoder
// are caught alike.

#include "base/fileerror.h"

namespace brisklet::audio {

using AudioError = base::FileError;

} // namespace brisklet::audio
