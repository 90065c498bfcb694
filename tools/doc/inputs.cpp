#include "tools/doc/inputs.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <new>
#include <optional>

#include "files/read_file.h"
#include "documentation/exported_module.h"
#include "office/vba_project.h"
#include "text/ascii.h"
#include "text/shown_text.h"
#include "text/source_text.h"
#include "text/utf.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/each_module.h"
#include "tools/doc/settings_files.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

// One named file, or one module file found in a folder, or a folder that
// could not be read; and what reading it gave.
struct Entry {
  fs::path path;
  bool first = false;  // the first PATH: an Office file there names the project
  bool unreadableFolder = false;
  const SettingsFile* settings = nullptr;  // the nearest settings file, or null
  Inputs read;
};

// A file, or the module files of a folder and its subfolders in path order.
// Each file and folder found is left out by the patterns of its folder's
// settings file, and each file read under the settings file of its own.
void Collect(const std::string& argument, bool first, bool folders, SettingsFiles* settings,
             std::vector<Entry>& entries) {
  const fs::path path = PathOf(argument);
  auto settingsOf = [settings](const fs::path& file) {
    return settings != nullptr ? settings->ForFile(file) : nullptr;
  };
  std::error_code error;
  if (!folders || !fs::is_directory(path, error)) {
    entries.push_back({path, first, false, settingsOf(path), {}});
    return;
  }
  std::vector<fs::path> files;
  fs::recursive_directory_iterator it(path, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    const bool folder = it->is_directory(ignored);
    const SettingsFile* around = settingsOf(it->path());
    if (around != nullptr &&
        IsExcluded(*around, Shown(fs::absolute(it->path(), ignored)), folder)) {
      if (folder) {
        it.disable_recursion_pending();
      }
      continue;
    }
    if (it->is_regular_file(ignored) && IsModuleFileName(Shown(it->path()))) {
      files.push_back(it->path());
    }
  }
  if (error) {
    entries.push_back({path, false, true, nullptr, {}});
  }
  std::sort(files.begin(), files.end(),
            [](const fs::path& a, const fs::path& b) { return Shown(a) < Shown(b); });
  for (const fs::path& file : files) {
    entries.push_back({file, false, false, settingsOf(file), {}});
  }
}

class Loader {
 public:
  Loader(Inputs& inputs, const LoadOptions& options, const SettingsFile* settings)
      : inputs(inputs),
        options(options),
        encoding(options.encodingUnder ? options.encodingUnder(settings) : options.encoding) {}

  void Load(const fs::path& path, bool first) {
    const std::string shown = Shown(path);
    try {
      // A file that is no Office file by its first bytes (nor by its name)
      // is a module's text, and read no further than a module's text may be.
      std::string bytes = ReadFileBytes(path, kLargestFileRead, [&](std::string_view head) {
        return office::LooksLikeOfficeFile(head) || office::NamedLikeOfficeFile(shown)
                   ? kLargestFileRead
                   : std::uintmax_t{kLargestModuleText};
      });
      office::RefuseMisnamedOfficeFile(shown, bytes);
      if (options.officeFilesOnly || office::LooksLikeOfficeFile(bytes)) {
        LoadOfficeFile(shown, std::move(bytes), first);
        return;
      }
      DocModule doc = ModuleFromBytes(ModuleFileOrigin(shown), bytes, encoding);
      ParseModule(doc);
      inputs.modules.push_back(std::move(doc));
    } catch (const InputError& error) {
      Bad(shown, error.line, error.what());
    } catch (const ModuleError& error) {
      Bad(shown, error.line, error.what());
    } catch (const office::OfficeError& error) {
      Bad(shown, 0, error.what());
    } catch (const std::bad_alloc&) {
      Bad(shown, 0, "not enough memory to read the file");
    }
  }

  void Bad(const std::string& path, int32_t line, const std::string& message) {
    inputs.errors.push_back(Located(ShownText(path), {line, {}, "error: " + ShownText(message)}));
  }

 private:
  // All of the file's modules or, when one cannot be read, none.
  void LoadOfficeFile(const std::string& shown, std::string bytes, bool first) {
    const office::VbaProject project = office::ReadVbaProject(std::move(bytes));
    // Each module is text work of its own: they are read at once too.
    const size_t count = project.modules.size();
    std::vector<DocModule> docs(count);
    std::vector<std::optional<std::string>> failures(count);
    ForEachIndex(
        count,
        [&](size_t i) {
          docs[i] = ModuleFromProject(shown, project.modules[i], project.codePage);
          try {
            // Export writes nothing that reading the file back would refuse.
            RefuseControlCharacters(docs[i]);
            if (!options.officeFilesOnly) {
              ParseModule(docs[i]);
            }
          } catch (const ModuleError& error) {
            failures[i] =
                Located(docs[i].path, {error.line, {}, std::string("error: ") + error.what()});
          }
        },
        [&](size_t i) { return project.modules[i].source.size(); });
    for (std::optional<std::string>& failure : failures) {
      if (failure) {
        inputs.errors.push_back(std::move(*failure));
        return;
      }
    }
    std::move(docs.begin(), docs.end(), std::back_inserter(inputs.modules));
    if (first) {
      inputs.project = project.name;
    }
  }

  Inputs& inputs;
  const LoadOptions& options;
  const Encoding encoding;
};

}  // namespace

Inputs LoadInputs(const std::vector<std::string>& paths, const LoadOptions& options) {
  std::vector<Entry> entries;
  for (size_t i = 0; i < paths.size(); ++i) {
    Collect(paths[i], i == 0, !options.officeFilesOnly, options.settings, entries);
  }
  // Every file is read at once; what they hold is then kept, and what could not
  // be read reported, in the order of the command line.
  // As many files at once as the cores and the bytes in flight allow.
  std::vector<size_t> sizes(entries.size(), 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    std::error_code error;
    const std::uintmax_t size =
        entries[i].unreadableFolder ? 0 : fs::file_size(entries[i].path, error);
    sizes[i] = error ? 0 : static_cast<size_t>(std::min<std::uintmax_t>(size, kLargestFileRead));
  }
  ForEachIndex(
      entries.size(),
      [&](size_t i) {
        Entry& entry = entries[i];
        Loader loader(entry.read, options, entry.settings);
        if (entry.unreadableFolder) {
          loader.Bad(Shown(entry.path), 0, "cannot read the folder");
        } else {
          loader.Load(entry.path, entry.first);
        }
      },
      [&](size_t i) { return sizes[i]; });
  Inputs inputs;
  inputs.modules.reserve(entries.size());
  for (Entry& entry : entries) {
    inputs.files.push_back(entry.path);
    Inputs& read = entry.read;
    inputs.settings.insert(inputs.settings.end(), read.modules.size(), entry.settings);
    std::move(read.modules.begin(), read.modules.end(), std::back_inserter(inputs.modules));
    std::move(read.errors.begin(), read.errors.end(), std::back_inserter(inputs.errors));
    if (read.project) {
      inputs.project = std::move(read.project);
    }
  }
  return inputs;
}

}  // namespace tarnwick
