#pragma once
// The names of the files the mail client keeps in each folder's directory, spelled
// once for every layer that reads them.

#include <cstddef>

namespace mailbox {

inline constexpr char kEntryList[] = "Entry.lst";    // the folder's index, one record per message
inline constexpr char kEntryIni[] = "Entry.ini";     // the folder's description and counts
inline constexpr char kMessageExtension[] = ".qnm";  // each stored message's file
inline constexpr char kMessagePattern[] = "*.qnm";   // every message file of a folder
inline constexpr std::size_t kMessageExtensionLength = sizeof kMessageExtension - 1;

}  // namespace mailbox
