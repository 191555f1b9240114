// The modder's side of datalib: an asset library taken apart into ordinary
// files (pictures as PNG, sounds as .wav/.ogg, configuration texts as plain
// .txt) with a text manifest, put back together from them, and checked.
#pragma once

#include <ostream>
#include <string>

namespace datalib {

// Writes every item of the library `file` into `dir` (created if needed) and
// the manifest `dir`/manifest.txt that Pack reads. False, with *error set,
// when the library cannot be read or holds damaged items.
bool Extract(const std::string& file, const std::string& dir, std::string* error);

// Builds a library at `out` from a manifest and the files it names (relative
// to the manifest's folder). Extract followed by Pack gives back the same
// bytes for any library the writer made. False, with *error naming the
// manifest line, on any problem; nothing is written then.
bool Pack(const std::string& manifest, const std::string& out, std::string* error);

// Checks every entry, sequence and item of a library and reports what the
// game would find absent or troublesome. Returns the number of errors
// (damaged blocks or items); warnings are reported but not counted. -1 when
// the file cannot be read at all.
int Verify(const std::string& file, std::ostream& out);

}  // namespace datalib
