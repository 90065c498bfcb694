#include "tools/doc/doc_command.h"

#include <filesystem>
#include <optional>

#include "text/utf.h"
#include "tools/doc/doc_inputs.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/doc_tasks.h"
#include "tools/doc/export.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

constexpr const char kUsage[] =
    "usage: tarnwick-doc xml      [--project NAME] [--encoding ENC] [--out FILE] PATH...\n"
    "       tarnwick-doc markdown [--project NAME] [--encoding ENC] --out DIR PATH...\n"
    "       tarnwick-doc check    [--encoding ENC] PATH...\n"
    "       tarnwick-doc sync     [--encoding ENC] [--write] [--descriptions] PATH...\n"
    "       tarnwick-doc export   [--out DIR] [--force] FILE...\n"
    "PATH is a module file (.bas, .cls, .frm), a folder, read recursively, or an Office file\n"
    "(.xlsm, .docm, .xls, vbaProject.bin...), whose modules are read as their export would be.\n"
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
  bool force = false;
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
  const bool exporting = parsed.command == "export";
  if (!xml && !markdown && !sync && !exporting && parsed.command != "check") {
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
    } else if (argument == "--out" && (xml || markdown || exporting)) {
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
    } else if (argument == "--force" && exporting) {
      parsed.force = true;
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

std::wstring WideOf(const fs::path& path) {
  return Utf8ToWide(Shown(path));
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

class Run {
 public:
  Run(const Arguments& arguments, std::ostream& out, std::ostream& err)
      : arguments(arguments), out(out), err(err) {}

  int Go() {
    if (arguments.command == "export") {
      return RunExport({arguments.paths, arguments.out, arguments.force}, out, err);
    }
    DocInputs inputs = GatherInputs(arguments.paths, arguments.encoding);
    for (const std::string& error : inputs.errors) {
      err << error << "\n";
      status = kDocBadInput;
    }
    modules = std::move(inputs.modules);
    files = std::move(inputs.files);
    inOfficeFile = std::move(inputs.inOfficeFile);
    if (modules.empty() && status == kDocBadInput) {
      return status;  // nothing could be read: no empty documentation in its place
    }
    const std::wstring project = arguments.project ? Utf8ToWide(*arguments.project)
                                 : inputs.project  ? *inputs.project
                                                   : DefaultProject(arguments.paths[0]);
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

  void Check() {
    for (const DocModule& doc : modules) {
      for (const Finding& finding : CheckModule(doc)) {
        out << Located(doc, finding) << "\n";
        if (status == kDocDone) {
          status = kDocFound;
        }
      }
    }
  }

  void Sync() {
    for (size_t i = 0; i < modules.size(); ++i) {
      const DocModule& doc = modules[i];
      if (arguments.write && inOfficeFile[i]) {
        // Once for each Office file, whose modules follow one another.
        if (i == 0 || files[i - 1] != files[i]) {
          err << OfficeWriteRefusal(Shown(files[i])) << "\n";
          status = kDocBadInput;
        }
        continue;
      }
      const SyncResult result = SyncModule(doc, {arguments.descriptions});
      for (const Finding& note : result.notes) {
        err << Located(doc, note) << "\n";
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
  std::vector<bool> inOfficeFile;
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
