#include "tools/doc/doc_inputs.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>

#include "office/vba_project.h"
#include "text/ascii.h"
#include "text/source_text.h"
#include "text/utf.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/doc_tasks.h"
#include "tools/doc/exported_module.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& name, std::string_view ending) {
  return name.size() >= ending.size() &&
         EqualsIgnoringAsciiCase(std::string_view(name).substr(name.size() - ending.size()),
                                 ending);
}

bool IsModuleFile(const fs::path& path) {
  const std::string extension = Shown(path.extension());
  return EqualsIgnoringAsciiCase(extension, ".bas") || EqualsIgnoringAsciiCase(extension, ".cls") ||
         EqualsIgnoringAsciiCase(extension, ".frm");
}

// Calls `each(i)` for every i below `count` on a few threads; the first
// exception that escapes a call is thrown again here, after all have ended.
template <class Each>
void ForEachInParallel(size_t count, const Each& each) {
  const size_t threads = std::min<size_t>({count, std::thread::hardware_concurrency(), 8});
  if (threads <= 1) {
    for (size_t i = 0; i < count; ++i) {
      each(i);
    }
    return;
  }
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::atomic<bool> failed{false};
  auto work = [&] {
    for (size_t i = next++; i < count && !failed; i = next++) {
      try {
        each(i);
      } catch (...) {
        if (!failed.exchange(true)) {
          failure = std::current_exception();
        }
      }
    }
  };
  std::vector<std::thread> pool;
  for (size_t t = 1; t < threads; ++t) {
    pool.emplace_back(work);
  }
  work();
  for (std::thread& thread : pool) {
    thread.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
}

class Gatherer {
 public:
  Gatherer(DocInputs& inputs, Encoding encoding) : inputs(inputs), encoding(encoding) {}

  // A file, or the module files of a folder and its subfolders in path order.
  void Collect(const std::string& argument, bool first) {
    const fs::path path = PathOf(argument);
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      Load(path, first);
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
      Bad(Shown(path), 0, "cannot read the folder");
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return Shown(a) < Shown(b); });
    for (const fs::path& file : files) {
      Load(file, false);
    }
  }

 private:
  void Bad(const std::string& path, int32_t line, const std::string& message) {
    inputs.errors.push_back(Located(path, {line, {}, "error: " + message}));
  }

  void Add(DocModule doc, const fs::path& file, bool office) {
    inputs.modules.push_back(std::move(doc));
    inputs.files.push_back(file);
    inputs.inOfficeFile.push_back(office);
  }

  void Load(const fs::path& path, bool first) {
    const std::string shown = Shown(path);
    try {
      std::string bytes = ReadFileBytes(path);
      if (office::LooksLikeOfficeFile(bytes)) {
        LoadOfficeFile(path, std::move(bytes), first);
        return;
      }
      // A form's code as export writes it: "UserForm1.frm.bas".
      const bool form = EndsWith(shown, ".frm.bas");
      std::wstring stem = WideOf(path.stem());
      if (form) {
        stem.resize(stem.size() - 4);
      }
      DocModule doc = ReadDocModule(shown, bytes, encoding, stem);
      if (form) {
        doc.module.kind = ModuleKind::kForm;
      }
      Add(std::move(doc), path, false);
    } catch (const InputError& error) {
      Bad(shown, error.line, error.what());
    } catch (const ModuleError& error) {
      Bad(shown, error.line, error.what());
    } catch (const office::OfficeError& error) {
      Bad(shown, 0, error.what());
    }
  }

  // All of the file's modules or, when one cannot be read, none.
  void LoadOfficeFile(const fs::path& path, std::string bytes, bool first) {
    const std::string shown = Shown(path);
    const office::VbaProject project = office::ReadVbaProject(std::move(bytes));
    // The modules are read on a few threads: each is text work of its own.
    const size_t count = project.modules.size();
    std::vector<DocModule> docs(count);
    std::vector<std::optional<std::string>> failures(count);
    ForEachInParallel(count, [&](size_t i) {
      const ExportedModule exported = ExportOf(project.modules[i]);
      try {
        docs[i] = ReadExportedModule(shown, exported);
      } catch (const ModuleError& error) {
        failures[i] = Located(shown + "/" + exported.shownName,
                              {error.line, {}, std::string("error: ") + error.what()});
      }
    });
    for (std::optional<std::string>& failure : failures) {
      if (failure) {
        inputs.errors.push_back(std::move(*failure));
        return;
      }
    }
    for (DocModule& doc : docs) {
      Add(std::move(doc), path, true);
    }
    if (first) {
      inputs.project = project.name;
    }
  }

  static std::wstring WideOf(const fs::path& path) { return Utf8ToWide(Shown(path)); }

  DocInputs& inputs;
  Encoding encoding;
};

}  // namespace

DocInputs GatherInputs(const std::vector<std::string>& paths, Encoding encoding) {
  DocInputs inputs;
  Gatherer gatherer(inputs, encoding);
  for (size_t i = 0; i < paths.size(); ++i) {
    gatherer.Collect(paths[i], i == 0);
  }
  return inputs;
}

std::string OfficeWriteRefusal(const std::string& officePath) {
  return Located(officePath,
                 {0,
                  {},
                  "error: Tarnwick never writes into an Office file; export its modules "
                  "(tarnwick-doc export), sync the exported files with --write, and "
                  "import them again in the editor"});
}

}  // namespace tarnwick
