#pragma once

#include <QString>

// Whole-capture file operations of the image-file browser. Every one refuses an empty or relative
// path: QDir("") is the working folder, and an operation on it would reach everything under it.

// Removes an empty folder.
bool RemoveEmptyFolder(const QString &inPath);

// Removes a folder with everything in it (hidden entries, links and special files too, links
// never followed), making read-only files and folders removable first.
bool RemoveFolderTree(const QString &inPath);

// Copies the folder inSource into inDestinationParent under its own name. The copy is made under
// a hidden temporary name beside the target and only then takes the target's place, so a
// same-named folder there is replaced only once the new copy is whole; a failed copy leaves it as
// it was. Every entry is copied, hidden ones too, and links as links; a pipe, a socket or a device
// inside fails the copy. Refused before anything is touched when the target would be the source itself or the
// destination lies inside the source.
bool CopyFolderTree(const QString &inSource, const QString &inDestinationParent);

// Copies the file inSource into inDestinationParent under its own name, replacing a same-named
// file only once the copy is whole. Refused when the target would be the source itself.
bool CopyFileInto(const QString &inSource, const QString &inDestinationParent);

// Moves inSource into inDestinationParent under its own name where a rename cannot (another file
// system): copies it under a hidden name there, checks the copy against the source entry by entry
// and byte by byte, gives it the name (never replacing anything), and only then takes the source
// away. Any failure up to there removes the copy and leaves the source as it was. A source that
// then cannot be wholly removed counts as moved: the copy is whole, and what is left of the
// source stays under a hidden name beside it, named in a warning.
bool MoveAcross(const QString &inSource, const QString &inDestinationParent);

// Renames the entry at inPath to a free hidden name beside it (the scan lists no hidden folders),
// never replacing anything: the new path, or empty when it cannot (then nothing changed).
// inKind becomes part of the name.
QString SetAside(const QString &inPath, const char *inKind);

// Removes what SetAside put aside from inWas. When not all of it goes, a warning names every
// entry left and where, and the result is false.
bool RemoveSetAside(const QString &inAside, const QString &inWas);

// Whether a name may become one entry of a folder: not empty, not "." or "..", no '/' and no NUL.
bool IsPlainEntryName(const QString &inName);

// A path the operations may touch: not empty, absolute, and existing (a dangling link counts).
bool IsUsablePath(const QString &inPath);
