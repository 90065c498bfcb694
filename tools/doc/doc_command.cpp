#include "tools/doc/doc_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

#include "text/utf.h"
#include "tools/doc/doc_tasks.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

constexpr const char kUsage[] =
    "usage: tarnwick-doc xml      [--project NAME] [--encoding ENC] [--out FILE] PATH...\n"
    "       tarnwick-doc markdown [--project NAME] [--encoding ENC] --out DIR PATH...\n"
    "       tarnwick-doc check    [--encoding ENC] PATH...\n"
    "       tarnwick-doc sync     [--encoding ENC] [--write] [--descriptions] PATH...\n"
    "PATH is a module file (.bas, .cls, .frm) or a folder, read recursively.\n"
    "ENC is the code page of files that are not UTF-8: windows-1252 (the default) or cp932.";

struct UsageError {
  std::string message;
};

struct Arguments {
  std::string command;
  std::optional<std::string> project;
  Encoding encoding = Encoding::kWindows1252;
  std::optional<std::string> out;
  bool write = false;
  bool descriptions = false;
  std::vector<std::string> paths;
};

Arguments Parse(const std::vector<std::string>& arguments) {
  Arguments parsed;
  if (arguments.empty()) {
    throw UsageError{"no command given"};
  }
  parsed.command = arguments[0];
  const bool xml = parsed.command == "xml";
  const bool markdown = parsed.command == "markdown";
  const bool sync = parsed.command == "sync";
  if (!xml && !markdown && !sync && parsed.command != "check") {
    throw UsageError{"unknown command '" + parsed.command + "'"};
  }
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 == arguments.size()) {
        throw UsageError{argument + " needs a value"};
      }
      return arguments[++i];
    };
    if (argument == "--project" && (xml || markdown)) {
      parsed.project = value();
    } else if (argument == "--out" && (xml || markdown)) {
      parsed.out = value();
    } else if (argument == "--encoding") {
      const std::string& name = value();
      const std::optional<Encoding> encoding = EncodingNamed(name);
      if (!encoding) {
        throw UsageError{"unknown encoding '" + name + "' (windows-1252, cp932 or utf-8)"};
      }
      parsed.encoding = *encoding;
    } else if (argument == "--write" && sync) {
      parsed.write = true;
    } else if (argument == "--descriptions" && sync) {
      parsed.descriptions = true;
    } else if (argument.starts_with("--")) {
      throw UsageError{"unknown option '" + argument + "' for " + parsed.command};
    } else {
      parsed.paths.push_back(argument);
    }
  }
  if (parsed.paths.empty()) {
    throw UsageError{"no PATH given"};
  }
  if (markdown && !parsed.out) {
    throw UsageError{"markdown needs --out DIR"};
  }
  return parsed;
}

fs::path PathOf(const std::string& utf8) {
#ifdef _WIN32
  return fs::path(Utf8ToWide(utf8));
#else
  return fs::path(utf8);
#endif
}

std::string Shown(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

std::wstring WideOf(const fs::path& path) {
  return Utf8ToWide(Shown(path));
}

bool IsModuleFile(const fs::path& path) {
  std::string extension = Shown(path.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return extension == ".bas" || extension == ".cls" || extension == ".frm";
}

// The project's default name: the first PATH's, without its extension.
std::wstring DefaultProject(const std::string& first) {
  fs::path path = PathOf(first).lexically_normal();
  if (!path.has_filename()) {
    path = path.parent_path();
  }
  if (path.empty() || path.filename() == "." || path.filename() == "..") {
    std::error_code error;
    path = fs::absolute(path.empty() ? fs::path(".") : path, error).lexically_normal();
    if (!path.has_filename()) {
      path = path.parent_path();
    }
  }
  return WideOf(path.stem());
}

// Writes through a temporary file and a rename, so that the file is either
// as it was or complete.
void WriteAtomically(const fs::path& path, const std::string& bytes) {
  fs::path temporary = path;
  temporary += ".tarnwick-doc.tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    if (!file) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      throw InputError("cannot write the file");
    }
  }
#ifdef _WIN32
  const bool renamed = MoveFileExW(temporary.c_str(), path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  const bool renamed = std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
  if (!renamed) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw InputError("cannot replace the file");
  }
}

class Run {
 public:
  Run(const Arguments& arguments, std::ostream& out, std::ostream& err)
      : arguments(arguments), out(out), err(err) {}

  int Go() {
    for (const std::string& path : arguments.paths) {
      Collect(path);
    }
    const std::wstring project =
        arguments.project ? Utf8ToWide(*arguments.project) : DefaultProject(arguments.paths[0]);
    if (arguments.command == "check") {
      Check();
    } else if (arguments.command == "sync") {
      Sync();
    } else if (arguments.command == "xml") {
      Xml(project);
    } else {
      Markdown(project);
    }
    return status;
  }

 private:
  void Bad(const std::string& path, const Finding& finding) {
    err << Located(path, {finding.line, {}, "error: " + finding.message}) << "\n";
    status = kDocBadInput;
  }

  // A file, or the module files of a folder and its subfolders in path order.
  void Collect(const std::string& argument) {
    const fs::path path = PathOf(argument);
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      Load(path);
      return;
    }
    std::vector<fs::path> files;
    fs::recursive_directory_iterator it(path, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      std::error_code ignored;
      if (it->is_regular_file(ignored) && IsModuleFile(it->path())) {
        files.push_back(it->path());
      }
    }
    if (error) {
      Bad(Shown(path), {0, {}, "cannot read the folder"});
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return Shown(a) < Shown(b); });
    for (const fs::path& file : files) {
      Load(file);
    }
  }

  void Load(const fs::path& path) {
    const std::string shown = Shown(path);
    try {
      modules.push_back(
          ReadDocModule(shown, ReadFileBytes(path), arguments.encoding, WideOf(path.stem())));
      files.push_back(path);
    } catch (const InputError& error) {
      Bad(shown, {error.line, {}, error.what()});
    } catch (const ModuleError& error) {
      Bad(shown, {error.line, {}, error.what()});
    }
  }

  void Check() {
    for (const DocModule& doc : modules) {
      for (const Finding& finding : CheckModule(doc)) {
        out << Located(doc.path, finding) << "\n";
        if (status == kDocDone) {
          status = kDocFound;
        }
      }
    }
  }

  void Sync() {
    for (size_t i = 0; i < modules.size(); ++i) {
      const DocModule& doc = modules[i];
      const SyncResult result = SyncModule(doc, {arguments.descriptions});
      for (const Finding& note : result.notes) {
        err << Located(doc.path, note) << "\n";
      }
      if (!result.changed) {
        continue;
      }
      try {
        const std::string bytes = SyncedBytes(doc.source, result);
        if (arguments.write) {
          WriteAtomically(files[i], bytes);
        } else {
          out << UnifiedDiff(doc.path, doc.source, result);
        }
      } catch (const EncodingError& error) {
        Bad(doc.path, {0, {}, std::string("cannot write the new lines: ") + error.what()});
      } catch (const InputError& error) {
        Bad(doc.path, {0, {}, error.what()});
      }
    }
  }

  void Xml(const std::wstring& project) {
    std::vector<std::string> warnings;
    const std::string xml = XmlDocumentation(project, modules, warnings);
    for (const std::string& warning : warnings) {
      err << warning << "\n";
    }
    if (!arguments.out) {
      out << xml;
      return;
    }
    try {
      WriteAtomically(PathOf(*arguments.out), xml);
    } catch (const InputError& error) {
      Bad(*arguments.out, {0, {}, error.what()});
    }
  }

  void Markdown(const std::wstring& project) {
    const fs::path folder = PathOf(*arguments.out);
    std::error_code error;
    fs::create_directories(folder, error);
    for (const auto& [name, text] : MarkdownPages(project, modules)) {
      try {
        WriteAtomically(folder / PathOf(name), text);
      } catch (const InputError& failure) {
        Bad(Shown(folder / PathOf(name)), {0, {}, failure.what()});
      }
    }
  }

  const Arguments& arguments;
  std::ostream& out;
  std::ostream& err;
  std::vector<DocModule> modules;
  std::vector<fs::path> files;  // the file of each module
  int status = kDocDone;
};

}  // namespace

int RunDocCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  try {
    return Run(Parse(arguments), out, err).Go();
  } catch (const UsageError& error) {
    err << "tarnwick-doc: " << error.message << "\n" << kUsage << "\n";
    return kDocBadInput;
  }
}

}  // namespace tarnwick
