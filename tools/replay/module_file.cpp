#include "tools/replay/module_file.h"

#include <fstream>
#include <iterator>

#include "simulator/utf.h"

namespace tarnwick {

std::vector<std::wstring> ReadModuleFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    throw InputError("cannot read module file '" + path + "'");
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad())
    throw InputError("cannot read module file '" + path + "'");
  if (bytes.starts_with("\xEF\xBB\xBF"))
    bytes.erase(0, 3);

  std::wstring text;
  try {
    text = Utf8ToWide(bytes);
  } catch (const Utf8Error& error) {
    throw InputError("module file '" + path + "': " + error.what());
  }
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos)
      end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r')
      line.pop_back();
    if (line.find(L'\0') != std::wstring::npos) {
      throw InputError("module file '" + path + "': line " + std::to_string(lines.size() + 1) +
                       " holds a NUL character");
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string ModuleText(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const std::wstring& line : lines) {
    out += WideToUtf8(line);
    out += '\n';
  }
  return out;
}

}  // namespace tarnwick
