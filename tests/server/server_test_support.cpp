#include "server_test_support.h"

#include <algorithm>

namespace tarnwick::server_test {
namespace {

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\n') {
      out += L"\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring ValueLine(const std::wstring& path, const std::wstring& name, DWORD type,
                       const std::vector<BYTE>& data) {
  std::wstring line = path + L" | " + (name.empty() ? L"@" : name) + L" | ";
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
      text.pop_back();
    }
    return line + L"sz | " + Escaped(text);
  }
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    DWORD number = 0;
    memcpy(&number, data.data(), sizeof number);
    return line + L"dword | " + std::to_wstring(number);
  }
  return line + L"type " + std::to_wstring(type) + L" | " + std::to_wstring(data.size()) +
         L" bytes";
}

void ReadKey(HKEY key, const std::wstring& path, const std::vector<std::wstring>& skipped,
             REGSAM view, std::vector<std::wstring>* lines) {
  for (const std::wstring& skip : skipped) {
    if (_wcsnicmp(path.c_str(), skip.c_str(), skip.size()) == 0) {
      return;
    }
  }
  lines->push_back(path);
  std::vector<std::wstring> values;
  for (DWORD index = 0;; ++index) {
    std::wstring name(16384, L'\0');
    DWORD nameLength = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size);
    nameLength = 16384;
    if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS) {
      break;
    }
    data.resize(size);
    values.push_back(ValueLine(path, name.substr(0, nameLength), type, data));
  }
  std::sort(values.begin(), values.end());
  lines->insert(lines->end(), values.begin(), values.end());
  std::vector<std::wstring> children;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.emplace_back(name, nameLength);
  }
  std::sort(children.begin(), children.end());
  for (const std::wstring& child : children) {
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ | view, &sub) != ERROR_SUCCESS) {
      continue;
    }
    ReadKey(sub, path + L"\\" + child, skipped, view, lines);
    RegCloseKey(sub);
  }
}

}  // namespace

std::vector<std::wstring> ReadTree(HKEY root, const std::wstring& path,
                                   const std::vector<std::wstring>& skipped, REGSAM view) {
  std::vector<std::wstring> lines;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return lines;
  }
  ReadKey(key, path, skipped, view, &lines);
  RegCloseKey(key);
  return lines;
}

}  // namespace tarnwick::server_test
