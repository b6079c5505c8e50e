// lumora-pack: packs a site folder into a program, and lists or checks
// packages. The command line is a table of commands; packing is the
// command taken when no other one is named.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <exception>
#include <optional>
#include <span>
#include <vector>

#include "base/Exception.h"
#include "pack/Console.h"
#include "pack/PackageReader.h"
#include "pack/Packer.h"
#include "pack/PreviewRun.h"

namespace lumora {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

using TArguments = std::span<const String>;

struct TCommand {
  StringView Name;  // empty for packing, the default command
  StringView Usage;
  StringView Description;
  // How many arguments follow the name; -1 when the command parses them.
  int ArgumentCount;
  int (*Run)(TArguments arguments);
};

int RunPack(TArguments arguments);
int RunPreview(TArguments arguments);
int RunList(TArguments arguments);
int RunVerify(TArguments arguments);
int RunHelp(TArguments arguments);
int RunVersion(TArguments arguments);

constexpr TCommand kCommands[] = {
    {u"",
     u"[--target linux|windows|windows-x64] [--runtime PATH] [--config FILE] [--icon FILE] [--version-info "
     u"NAME=VALUE]... "
     u"[--exclude PATTERN]... [--no-default-excludes] [--level 0-9] [--jobs N] [--strict] [--lint] "
     u"[--allow-unknown-keys] "
     u"SOURCE_DIR OUTPUT",
     u"pack every file below SOURCE_DIR into the program OUTPUT", -1, RunPack},
    {u"--run", u"[--inspect] [--watch] [packing options] SOURCE_DIR [-- ARGS...]",
     u"pack into a temporary program, run it with ARGS, pass its exit code on, remove it", -1, RunPreview},
    {u"--list", u"FILE", u"list the entries of a packaged program or a site archive", 1, RunList},
    {u"--verify", u"[--jobs N] FILE", u"decrypt, inflate and CRC-check every entry; exit 1 if any fails", -1,
     RunVerify},
    {u"--help", u"", u"show this help", 0, RunHelp},
    {u"--version", u"", u"show the version of lumora-pack (the runtimes carry the same)", 0, RunVersion},
};

void Warning(const String& message) { TConsole::Error(u"lumora-pack: warning: " + message); }

int UsageError(StringView message) {
  TConsole::Error(u"lumora-pack: " + String(message));
  TConsole::Error(u"Try \"lumora-pack --help\".");
  return kExitUsage;
}

int RunHelp(TArguments) {
  TConsole::Out(u"Usage:");
  for (const TCommand& command : kCommands) {
    String line = u"  lumora-pack";
    if (!command.Name.empty()) line += u" " + String(command.Name);
    if (!command.Usage.empty()) line += u" " + String(command.Usage);
    TConsole::Out(line);
    TConsole::Out(u"      " + String(command.Description));
  }
  TConsole::Out(u"--target picks the system the program is for: linux, windows (32-bit Windows)");
  TConsole::Out(u"or windows-x64 (64-bit Windows); by default this one, or with --runtime the one");
  TConsole::Out(u"that runtime is for. Its runtime is the one installed with lumora-pack, unless");
  TConsole::Out(u"--runtime names another. Without --config the lm-config file at the top of");
  TConsole::Out(u"SOURCE_DIR is used, if there is one.");
  TConsole::Out(u"--icon replaces the main icon of a Windows runtime (an ICO file, or a PNG");
  TConsole::Out(u"picture of at most 256x256 pixels made into one), or is packed as \"lm-icon\"");
  TConsole::Out(u"for any other runtime (a PNG or ICO file).");
  TConsole::Out(u"--version-info sets a string of a Windows program's version resource: NAME is");
  TConsole::Out(u"ProductName, FileDescription, CompanyName, LegalCopyright, FileVersion or");
  TConsole::Out(u"ProductVersion; it overrides the [VersionInfo] section of lm-config. A FileVersion");
  TConsole::Out(u"or ProductVersion of one to four dot-separated numbers (1.2.0) also sets the numeric");
  TConsole::Out(u"version; any other text is only a string.");
  TConsole::Out(u"Version-control folders (.git, ...) and system and editor leftovers (.DS_Store,");
  TConsole::Out(u"Thumbs.db, *~, ...) are left out; --no-default-excludes packs them. --exclude leaves");
  TConsole::Out(u"out what PATTERN matches (a glob: *, **, ?, [..]; with a \"/\" it is matched against");
  TConsole::Out(u"the whole name below SOURCE_DIR, else against each file or folder name; a trailing");
  TConsole::Out(u"\"/\" matches folders only), as does each line of SOURCE_DIR/.lumoraignore.");
  TConsole::Out(u"With --run, packing options go before SOURCE_DIR and the program's own arguments");
  TConsole::Out(u"after \"--\". --inspect turns on the web engine's inspector (F12, Ctrl+Shift+I) in");
  TConsole::Out(u"the preview only; a packed program never has it. --watch packs the site again");
  TConsole::Out(u"whenever one of its files changes, prints the warnings, and reloads the page in");
  TConsole::Out(u"the same window (Linux).");
  TConsole::Out(u"--strict fails, writing nothing, when there is any warning.");
  TConsole::Out(u"--lint warns about script the Windows runtime's engine (Internet Explorer 11) does");
  TConsole::Out(u"not run and CSS it ignores, whatever the target; Windows programs always get it.");
  TConsole::Out(u"--allow-unknown-keys packs an unknown lm-config key that looks like a mistyped");
  TConsole::Out(u"known one (an error otherwise).");
  TConsole::Out(u"--level sets Deflate's level (9 smallest, 1 fastest, 0 stores all); --jobs the");
  TConsole::Out(u"number of files packed or checked at once (default: one per processor).");
  return kExitOk;
}

struct TNumberOption {
  StringView Name;
  int Min;
  int Max;
};

constexpr TNumberOption kLevelOption{u"--level", 0, 9};
constexpr TNumberOption kJobsOption{u"--jobs", 1, 256};

// Reads the value of option, the argument at i, into number and moves i onto
// it. A missing or bad value is reported as a usage error: false.
bool ReadNumber(TArguments arguments, size_t& i, const TNumberOption& option, int& number) {
  const std::string digits = i + 1 < arguments.size() ? ToUtf8(arguments[++i]) : std::string();
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number);
  if (digits.empty() || error != std::errc() || stop != end || number < option.Min || number > option.Max) {
    UsageError(Format(u"%s needs a number from %s to %s", {option.Name, IntToStr(option.Min), IntToStr(option.Max)}));
    return false;
  }
  return true;
}

int RunVersion(TArguments) {
  TConsole::Out(u"lumora-pack " + FromUtf8(LUMORA_VERSION));
  return kExitOk;
}

// Whether argument is one of the packing options (that take a value, or not).
bool IsPackingOption(const String& argument) {
  static constexpr StringView kOptions[] = {u"--target",
                                            u"--runtime",
                                            u"--config",
                                            u"--icon",
                                            u"--version-info",
                                            u"--exclude",
                                            u"--no-default-excludes",
                                            u"--level",
                                            u"--jobs",
                                            u"--strict",
                                            u"--lint",
                                            u"--allow-unknown-keys",
                                            u"--inspect",
                                            u"--watch"};
  return std::find(std::begin(kOptions), std::end(kOptions), argument) != std::end(kOptions);
}

// An argument after --run's SOURCE_DIR, at i: "--" hands everything after
// it to the program (i moves to the end), a plain word is the program's
// too; a packing option there is a usage error that says where it goes,
// since it would otherwise reach the program unnoticed.
int ReadProgramArgument(TArguments arguments, size_t& i, std::vector<String>& positional) {
  const String& argument = arguments[i];
  if (argument == u"--") {
    positional.insert(positional.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
    i = arguments.size();
    return kExitOk;
  }
  if (IsPackingOption(argument)) {
    return UsageError(
        Format(u"%s comes after SOURCE_DIR: packing options go before it (lumora-pack --run "
               u"%s ... SOURCE_DIR), and the program's own arguments after \"--\"",
               {argument, argument}));
  }
  if (argument.starts_with(u"-")) {
    return UsageError(
        Format(u"%s after SOURCE_DIR: give the program's own options after \"--\" "
               u"(lumora-pack --run SOURCE_DIR -- %s)",
               {argument, argument}));
  }
  positional.push_back(argument);
  return kExitOk;
}

// The options of --run alone.
using TPreviewOptions = TPreviewRun::TSwitches;

// Reads the packing options into options and the other arguments into
// positional. With preview (--run) the options of --run are read too, and the arguments after the first positional
// argument go to ReadProgramArgument (the arguments of --run's program). kExitOk,
// or the usage error's exit code.
int ParsePackArguments(TArguments arguments, TPackOptions& options, std::vector<String>& positional,
                       TPreviewOptions* preview) {
  const bool restAfterSource = preview != nullptr;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const String& argument = arguments[i];
    if (restAfterSource && !positional.empty()) {
      if (const int code = ReadProgramArgument(arguments, i, positional); code != kExitOk) return code;
      if (i == arguments.size()) break;
      continue;
    }
    String* value = argument == u"--runtime"  ? &options.Runtime
                    : argument == u"--config" ? &options.ConfigFile
                    : argument == u"--icon"   ? &options.IconFile
                                              : nullptr;
    bool* flag = argument == u"--strict"               ? &options.Strict
                 : argument == u"--lint"               ? &options.Lint
                 : argument == u"--allow-unknown-keys" ? &options.AllowUnknownKeys
                                                       : nullptr;
    if (argument == kLevelOption.Name || argument == kJobsOption.Name) {
      const bool level = argument == kLevelOption.Name;
      if (!ReadNumber(arguments, i, level ? kLevelOption : kJobsOption, level ? options.Level : options.Jobs)) {
        return kExitUsage;
      }
    } else if (argument == u"--target") {
      if (i + 1 == arguments.size()) return UsageError(argument + u" needs a value");
      options.Target = TRuntimeLocator::ParseTarget(arguments[++i]);
      if (!options.Target) {
        return UsageError(u"--target needs " + TRuntimeLocator::TargetNames() + u", not \"" + arguments[i] + u"\"");
      }
    } else if (argument == u"--exclude") {
      if (i + 1 == arguments.size()) return UsageError(argument + u" needs a value");
      options.Excludes.push_back(arguments[++i]);
    } else if (argument == u"--inspect" && preview != nullptr) {
      preview->Inspect = true;
    } else if (argument == u"--watch" && preview != nullptr) {
      preview->Watch = true;
    } else if (argument == u"--no-default-excludes") {
      options.DefaultExcludes = false;
    } else if (argument == u"--version-info") {
      if (i + 1 == arguments.size()) return UsageError(argument + u" needs a value");
      const String& pair = arguments[++i];
      const size_t equals = pair.find(u'=');
      if (equals == String::npos || equals == 0) {
        return UsageError(u"--version-info needs NAME=VALUE, not \"" + pair + u"\"");
      }
      options.VersionStrings.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
    } else if (value != nullptr) {
      if (i + 1 == arguments.size()) return UsageError(argument + u" needs a value");
      *value = arguments[++i];
    } else if (flag != nullptr) {
      *flag = true;
    } else if (argument.starts_with(u"--")) {
      return UsageError(u"unknown option " + argument);
    } else {
      positional.push_back(argument);
    }
  }
  return kExitOk;
}

void PrintNotes(const TPackSummary& summary) {
  for (const String& note : summary.Notes) TConsole::Out(u"lumora-pack: note: " + note);
}

int RunPreview(TArguments arguments) {
  TPackOptions options;
  std::vector<String> positional;
  TPreviewOptions preview;
  if (const int code = ParsePackArguments(arguments, options, positional, &preview); code != kExitOk) {
    return code;
  }
  if (positional.empty()) return UsageError(u"--run needs SOURCE_DIR");
  options.SourceDir = positional[0];
  positional.erase(positional.begin());
  // The program's own output follows; the packer says no more than needed.
  preview.OnNote = [](const String& note) { TConsole::Out(u"lumora-pack: note: " + note); };
  return TPreviewRun::Run(options, positional, Warning, PrintNotes, preview);
}

int RunPack(TArguments arguments) {
  TPackOptions options;
  std::vector<String> positional;
  if (const int code = ParsePackArguments(arguments, options, positional, nullptr); code != kExitOk) {
    return code;
  }
  if (positional.size() != 2) return UsageError(u"packing needs SOURCE_DIR and OUTPUT");
  options.SourceDir = positional[0];
  options.Output = positional[1];

  const auto started = std::chrono::steady_clock::now();
  const TPackSummary summary = TPacker::Pack(options, Warning);
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  TConsole::Out(
      Format(u"Packed %s entries (%s bytes) into \"%s\": archive of %s bytes after "
             u"runtime \"%s\" (%s), in %s ms",
             {IntToStr(static_cast<int64_t>(summary.Entries)), IntToStr(summary.ContentBytes), options.Output,
              IntToStr(summary.ArchiveBytes), summary.Runtime, TRuntimeLocator::DisplayName(summary.Target),
              IntToStr(elapsed.count())}));
  PrintNotes(summary);
  return kExitOk;
}

String TwoDigits(int value) { return (value < 10 ? u"0" : u"") + IntToStr(value); }

String DosDateTimeText(uint16_t date, uint16_t time) {
  return IntToStr(1980 + (date >> 9)) + u"-" + TwoDigits((date >> 5) & 0x0F) + u"-" + TwoDigits(date & 0x1F) + u" " +
         TwoDigits(time >> 11) + u":" + TwoDigits((time >> 5) & 0x3F) + u":" + TwoDigits((time & 0x1F) * 2);
}

String PadLeft(const String& text, size_t width) {
  return text.size() >= width ? text : String(width - text.size(), u' ') + text;
}

String PadRight(const String& text, size_t width) {
  return text.size() >= width ? text : text + String(width - text.size(), u' ');
}

String MethodText(const TPackageEntry& entry) {
  const String method = entry.Method == 8   ? String(u"Deflate")
                        : entry.Method == 0 ? String(u"Stored")
                                            : IntToStr(entry.Method);
  return method + (entry.Encrypted ? u"*" : u"");
}

String ListLine(StringView size, StringView compressed, StringView method, StringView when, StringView name) {
  return PadLeft(String(size), 12) + u" " + PadLeft(String(compressed), 12) + u"  " + PadRight(String(method), 9) +
         PadRight(String(when), 21) + String(name);
}

int RunList(TArguments arguments) {
  const String& path = arguments[0];
  const int64_t start = TPackageReader::ArchiveStart(path);
  const std::vector<TPackageEntry> entries = TPackageReader::List(path);
  const std::optional<TTarget> program = start == 0 ? std::nullopt : TRuntimeLocator::TargetOf(path);
  TConsole::Out(Format(u"Archive at offset %s of \"%s\"%s",
                       {IntToStr(start), path,
                        program ? u", a " + String(TRuntimeLocator::DisplayName(*program)) + u" program" : String()}));
  TConsole::Out(ListLine(u"Size", u"Compressed", u"Method", u"Modified", u"Name"));
  uint64_t size = 0;
  uint64_t compressed = 0;
  for (const TPackageEntry& entry : entries) {
    TConsole::Out(ListLine(IntToStr(static_cast<int64_t>(entry.Size)),
                           IntToStr(static_cast<int64_t>(entry.CompressedSize)), MethodText(entry),
                           DosDateTimeText(entry.DosDate, entry.DosTime), entry.Name));
    size += entry.Size;
    compressed += entry.CompressedSize;
  }
  TConsole::Out(ListLine(IntToStr(static_cast<int64_t>(size)), IntToStr(static_cast<int64_t>(compressed)), u"", u"",
                         IntToStr(static_cast<int64_t>(entries.size())) + u" entries (* encrypted)"));
  return kExitOk;
}

int RunVerify(TArguments arguments) {
  int jobs = 0;
  size_t i = 0;
  if (!arguments.empty() && arguments[0] == kJobsOption.Name) {
    if (!ReadNumber(arguments, i, kJobsOption, jobs)) return kExitUsage;
    ++i;
  }
  if (arguments.size() != i + 1) return UsageError(u"--verify takes [--jobs N] FILE");
  const String& path = arguments[i];
  const auto started = std::chrono::steady_clock::now();
  const TVerifyResult result = TPackageReader::Verify(path, jobs);
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  for (const String& failure : result.Failures) TConsole::Error(u"FAILED " + failure);
  const String entries = IntToStr(static_cast<int64_t>(result.Entries));
  const String details =
      Format(u"%s bytes, in %s ms", {IntToStr(static_cast<int64_t>(result.Bytes)), IntToStr(elapsed.count())});
  if (!result.Failures.empty()) {
    TConsole::Out(Format(u"%s of %s entries failed (%s)",
                         {IntToStr(static_cast<int64_t>(result.Failures.size())), entries, details}));
    return kExitFailure;
  }
  TConsole::Out(Format(u"No errors: %s entries, %s", {entries, details}));
  return kExitOk;
}

int Dispatch(TArguments arguments) {
  if (arguments.empty()) return UsageError(u"nothing to do");
  for (const TCommand& command : kCommands) {
    if (command.Name.empty() || arguments[0] != command.Name) continue;
    const TArguments rest = arguments.subspan(1);
    if (command.ArgumentCount >= 0 && rest.size() != static_cast<size_t>(command.ArgumentCount)) {
      return UsageError(Format(u"%s takes %s argument(s)", {command.Name, IntToStr(command.ArgumentCount)}));
    }
    return command.Run(rest);
  }
  return kCommands[0].Run(arguments);
}

int RunPacker(TArguments arguments) {
  TConsole::Initialize();
  try {
    return Dispatch(arguments);
  } catch (const Exception& error) {
    TConsole::Error(u"lumora-pack: error: " + error.Message());
  } catch (const std::exception& error) {
    TConsole::Error(u"lumora-pack: error: " + FromUtf8(error.what()));
  }
  return kExitFailure;
}

}  // namespace

}  // namespace lumora

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<lumora::String> arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  }
  return lumora::RunPacker(arguments);
}
#else
int main(int argc, char** argv) {
  std::vector<lumora::String> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(lumora::FromUtf8(argv[i]));
  return lumora::RunPacker(arguments);
}
#endif
