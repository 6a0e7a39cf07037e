#pragma once

#include <QString>

// Whole-capture file operations of the image-file browser. Every one refuses an empty or relative
// path: QDir("") is the working folder, and an operation on it would reach everything under it.

// Removes an empty folder.
bool RemoveEmptyFolder(const QString &inPath);

// Removes a folder with everything in it, making read-only files and folders removable first.
// Hidden entries are not removed, so a folder holding one stays and the result is false.
bool RemoveFolderTree(const QString &inPath);

// Copies the folder inSource into inDestinationParent under its own name. The copy is made under
// a hidden temporary name beside the target and only then takes the target's place, so a
// same-named folder there is replaced only once the new copy is whole; a failed copy leaves it as
// it was. Refused before anything is touched when the target would be the source itself or the
// destination lies inside the source.
bool CopyFolderTree(const QString &inSource, const QString &inDestinationParent);

// Copies the file inSource into inDestinationParent under its own name, replacing a same-named
// file only once the copy is whole. Refused when the target would be the source itself.
bool CopyFileInto(const QString &inSource, const QString &inDestinationParent);

// Whether a name may become one entry of a folder: not empty, not "." or "..", no '/' and no NUL.
bool IsPlainEntryName(const QString &inName);

// A path the operations may touch: not empty, absolute, and existing (a dangling link counts).
bool IsUsablePath(const QString &inPath);
