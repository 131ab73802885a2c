#pragma once
// The cover picture of a source, read where its tag format holds one (ID3
// APIC, FLAC PICTURE blocks, Ogg METADATA_BLOCK_PICTURE comments, WMA
// WM/Picture, M4A covr), and written into outputs whose format holds one.

#include "tags/picture.h"

#include <string>

namespace brisklet::tags {

// The front cover (or, without one, the first picture) of the file, read by
// its tag family (tagFamilyOf); empty when it has none or cannot be read. A
// picture the file states as larger than kMaxPictureBytes is refused before it
// is read: TagError "The cover picture of <file> is larger than 16 MiB".
// Reading never changes the file.
Picture ReadCoverPicture(const std::string& fileName);

// An image file as a front cover: JPEG, PNG or GIF by its content, checked
// to be no larger than kMaxPictureBytes before it is read. Throws TagError
// naming the file and the reason.
Picture ReadPictureFile(const std::string& fileName);

// The parts of the picture formats, for the readers and writers.
// A FLAC picture block's body (also the content of METADATA_BLOCK_PICTURE);
// empty when malformed.
Picture parseFlacPictureBlock(const std::string& block);
std::string renderFlacPictureBlock(const Picture& picture);
// "METADATA_BLOCK_PICTURE=<base64 of the block>", the Ogg comment.
std::string oggPictureComment(const Picture& picture);
// An ID3v2.3 APIC frame, header included (front cover, text in ISO-8859-1 or
// UTF-16).
std::string renderApicFrame(const Picture& picture);

} // namespace brisklet::tags
