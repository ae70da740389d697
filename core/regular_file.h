#pragma once
// Opening a file for reading only when it is a regular file. A FIFO, a
// device or a folder under the name is never read and never waited on: the
// open itself does not block (O_NONBLOCK), and the kind is looked at on the
// open file, so a name swapped meanwhile cannot slip through.
#include <cstdio>
#include <string>

enum class FileKind { kRegular, kMissing, kFolder, kNotRegular, kUnreadable };

// Opens path for binary reading. Gives the stream when path is a regular
// file that could be opened (*kind kRegular), nullptr otherwise with *kind
// saying why (kUnreadable: it exists but could not be opened, *reason the
// system's text when reason is given).
std::FILE* OpenRegularFile(const std::string& path, FileKind* kind, std::string* reason = nullptr);
