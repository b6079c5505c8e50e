// Thin wrappers over platform facilities: the shell, special folders, sound
// playback, keyboard input, files and folders. One class of class-level
// operations that is never instantiated; no OS header leaks out of here.
//
// Each backend implements the platform-bound operations
// (os/linux/SysUtils*Linux.cpp, os/win32/SysUtils*Win32.cpp);
// the ones built on portable code live in core/SysUtilsCommon.cpp.
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

class TMemoryStream;

// The bitmap ExtractExeIcon draws into. Drawing surfaces are opaque to the
// portable code, so a bitmap here is just its size and pixels: Width *
// Height * 4 bytes, rows top to bottom, each pixel blue, green, red, alpha
// with the colour premultiplied by the alpha (a 32-bit Windows DIB, a cairo
// ARGB32 surface on a little-endian machine).
struct TBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

// The font TrueFontWidth measures with, as the platform is asked for it: a
// face name and the character (em) height in pixels. Windows gets it as a
// LOGFONT with a negative height of PixelHeight; Linux as a Pango font
// description with that absolute size.
struct TFont {
  String FaceName;
  int PixelHeight = 0;
};

class TSysUtils {
 public:
  TSysUtils() = delete;

  // Deletes a folder with everything in it, permanently; a plain file or a
  // link at DirPath is deleted itself. Links inside are removed, never
  // followed. The empty path, a path with wildcards (Windows) and a root
  // (Linux's "/"; on Windows a drive's or a share's root, however written)
  // are refused. True when everything went.
  static bool DeleteDirectory(const String& DirPath);

  // Keeps line (the cause of an error the user saw in a box) where a user
  // or support person can find it besides standard error, which a Windows
  // program without a console shows nobody: on Windows the debugger output
  // (OutputDebugString) and a line, dated, appended to "lumora-errors.log"
  // in the temporary folder. Linux: nothing more. Never raises.
  static void RecordErrorCause(const String& line);

  // Tells the desktop that file associations changed so it redraws icons.
  static void RefreshSystemIcons();

  // The target path of a shortcut file. Windows reads a shell link (.lnk)
  // and raises an Exception when the shell-link object is unavailable;
  // Linux reads a symbolic link or a desktop entry of type Link. The empty
  // text when the file is no shortcut.
  static String GetLnkFilePath(const String& LnkFilePath);

  // The folder for temporary files, ending in exactly one separator. On
  // Linux a private per-user folder (mode 0700), created when missing: the
  // first of several places that this user alone controls (a place that is
  // missing, read-only, someone else's or taken by another user is passed
  // over); raises an Exception naming each place tried when none will do.
  // Windows raises one when the platform cannot name a temporary folder at
  // all.
  static String GetTemporalDir();

  // Stops the current sound, then plays the complete WAVE file in stream's
  // memory asynchronously, once or (loop) over and over. The memory is
  // played in place: the caller keeps the stream alive and unchanged until
  // StopCurrentSound or the next PlaySoundFromStream. True when playback
  // started.
  static bool PlaySoundFromStream(const TMemoryStream& stream, bool loop);

  // Stops the sound this process plays, if any. True when the platform
  // accepted the request.
  static bool StopCurrentSound();

  // Presses and releases the key of a Windows virtual-key code (flagged as
  // an extended key), as if typed. Linux sends it through the X server's
  // XTEST extension and raises an Exception when there is no such display;
  // a code with no key on the keyboard does nothing.
  static void PressKey(int vKey);

  // Draws the first icon of the file at path into bitmap, resized to the
  // icon. False, with bitmap untouched, when the file has no icon. Linux
  // reads icon and image files and desktop entries whose Icon is a file.
  static bool ExtractExeIcon(const String& path, TBitmap& bitmap);

  // The computer's network name, or the empty text.
  static String GetComputerNetName();

  // The name of the user running the process, or "Unknown".
  static String GetUserFromWindows();

  // Replaces fileList by the full paths of the entries directly in rootDir:
  // the subfolders first when includeDirs (links to folders count as
  // folders), then every other entry, each group in the platform's order.
  // An empty list when rootDir is no folder; raises an Exception when the
  // folder cannot be read.
  static void GetDirectoryFiles(const String& rootDir, bool includeDirs, std::vector<String>& fileList);

  // The full path of path followed by "..", worked out on the text alone
  // (made absolute against the current folder, "." and ".." folded, links
  // not resolved), with a trailing separator.
  static String GetParentDirPath(const String& path);

  // Special folders, each with a trailing separator; a lone separator when
  // the folder cannot be found.
  static String GetProgramFilesDirPath();
  static String GetUserDesktopDirPath();
  static String GetUserDocumentsDirPath();
  static String GetUserAppDataDirPath();

  // The size of the first directory entry that matches filePath, or -1.
  static int64_t GetSizeOfFile(const String& filePath);

  // Opens path as the desktop would (a program starts, a document opens in
  // its application, a folder in the file manager), handing arguments to a
  // program. True when the platform started something.
  static bool ShellExec(const String& path, const String& arguments);
  static bool ShellOpen(const String& path);
  // Shows path selected in a file-manager window.
  static bool ShellExplore(const String& path);

  // The width in pixels of str drawn on the screen in aFont.
  static int TrueFontWidth(const TFont& aFont, const String& str);

  // Starts a new copy of the running program and asks the running one's
  // message loop to end, so it shuts down normally.
  static void RestartApplication();

  // Whether every component of the path is acceptable to the file system.
  static bool IsValidFilePath(const String& FileName);

  // Drops a UTF-8 byte-order mark from the start of the file, in place.
  // Raises EFOpenError when the file cannot be opened and EStreamError when
  // it is shorter than 3 bytes.
  static void RemoveUTFBoomFromFile(const String& filePath);

 private:
  // The special folder of a CSIDL number (0 desktop, 5 documents, 26
  // application data, 38 program files), or the empty text.
  static String GetSpecialFolderPath(int csidl);
};

}  // namespace lumora
