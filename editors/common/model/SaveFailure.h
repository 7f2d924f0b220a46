// Why a file could not be saved, in the editors' words, for the line after each editor's own failure message.
#pragma once

#include <string>

// The reason a file could not be written at `path`: "A folder of that name is in the way.", "The folder does not
// exist.", "The disk is read-only.", "The file or its folder is read-only.", "The disk is full.", else the
// system's words for `error` (the errno the failed write left) where they say something, or empty. What the
// target looks like now comes first, so an errno left over from an unrelated call does not mislead.
std::string SaveFailureReason(const std::string& path, int error);

// `text` with that reason on a line of its own after it (the text alone when no reason is known).
std::string WithSaveFailureReason(const std::string& text, const std::string& path, int error);

// The reason when one is known, else `guess`: the fixed words a failure message shows when nothing better is known
// ("Is the file read only?"), which a known reason replaces rather than contradicts.
std::string SaveFailureReasonOr(const std::string& guess, const std::string& path, int error);
