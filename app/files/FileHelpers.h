// Small file-system helpers shared by the file commands and the dialogs.
#pragma once

#include <QString>
#include <cstdint>

namespace orvane {

// True when the attributes of path (a file or a folder) can be read.
bool FileExists(const QString& path);

// The text after the last "." found scanning from the second-to-last character
// back to the third (1-based); empty when there is none. A dot in a folder name
// counts when the file name has none.
QString GetExtension(const QString& path);

// Equality without regard to case.
bool SameText(const QString& a, const QString& b);

// The folder that would hold path (absolute), when that folder exists; else empty.
QString GetDrive(const QString& path);

// Bytes free to this user on the file system that holds folder; -1 when the
// folder does not exist or the query fails.
int64_t GetFreeSpace(const QString& folder);

}  // namespace orvane
