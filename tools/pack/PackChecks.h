// The packer's checks whose messages name the fix: the runtime to append
// to and the system it is for, the folder the program goes into, and a
// configuration file under a slightly wrong name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/String.h"
#include "pack/RuntimeLocator.h"

namespace lumora {

class TPackChecks {
 public:
  TPackChecks() = delete;

  // The runtime's full path: runtime, or when it is empty the installed
  // runtime of target (default: the system the packer runs on). Raises an
  // Exception that says how to give one.
  static String ResolveRuntime(const String& runtime, std::optional<TTarget> target);

  // The system the runtime is for, read from its headers. Raises an
  // Exception when it is for none of the targets (a Windows program for
  // another processor), or when a target was asked for and the runtime is
  // for another system or the other Windows.
  static TTarget CheckTarget(const String& runtime, std::optional<TTarget> target);

  // A warning when OUTPUT's name does not fit the program's system: ".exe"
  // on a Linux program, none on a Windows one; empty when it fits.
  static String OutputNameWarning(const String& output, bool windowsProgram);

  // Whether the file is a program packed by lumora-pack (a PE or ELF image
  // followed by an archive that holds the encrypted "lm-config"), for any
  // system.
  static bool IsPackedProgram(const String& path);

  // An icon file with the one PNG picture of png (at most 256 pixels a
  // side), for a Windows program's main icon. Raises an Exception that
  // says how to make an ICO file for a larger or damaged picture.
  static std::vector<uint8_t> IconFromPng(const std::vector<uint8_t>& png, const String& path);

  // Whether the bytes start like a PNG picture.
  static bool IsPng(const std::vector<uint8_t>& bytes);

  // A warning when a FileVersion or ProductVersion value is not of the form
  // that sets the numeric version too; empty otherwise.
  static String VersionNumberWarning(const String& name, const String& value);

  // Raises an Exception that says how to name the program when output
  // names a folder (an existing one, or a name ending in a separator), or
  // names the folder when output's folder is missing or no folder.
  static void CheckOutput(const String& output);

  // Raises an Exception naming a full disk as the cause when the disk that
  // holds output's folder has fewer than bytes free; detail follows the
  // message.
  static void CheckRoom(const String& output, uintmax_t bytes, StringView detail);

  // Files of the site that look meant as its configuration but that the
  // runtime would not read ("lm-config.ini", "site/lm-config"), quoted and
  // joined for a message; empty when there are none.
  static String ConfigLookalikes(const std::vector<std::string>& entryNames);
};

}  // namespace lumora
