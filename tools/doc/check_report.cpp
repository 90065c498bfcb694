#include "tools/doc/check_report.h"

#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "tarnwick_version.h"
#include "tools/doc/check_rules.h"
#include "tools/doc/doc_tasks.h"

namespace tarnwick {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::string Escaped(std::string_view text, std::string_view special) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (special.find(c) != std::string_view::npos) {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::string CommandData(std::string_view text) {
  return Escaped(text, "%\r\n");
}

std::string CommandProperty(std::string_view text) {
  return Escaped(text, "%\r\n:,");
}

// One value on one line, as the log lays out each rule and each result:
// {"key": value, ...} and [value, ...]. Bytes of a path or a message that are
// not UTF-8 are written as U+FFFD: the log stays valid JSON.
std::string OnOneLine(const nlohmann::ordered_json& value) {
  const auto scalar = [](const nlohmann::ordered_json& v) {
    return v.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  };
  std::string out;
  if (value.is_object()) {
    for (const auto& [key, member] : value.items()) {
      out += (out.empty() ? "{" : ", ") + scalar(key) + ": " + OnOneLine(member);
    }
    return out.empty() ? "{}" : out + "}";
  }
  if (value.is_array()) {
    for (const nlohmann::ordered_json& element : value) {
      out += (out.empty() ? "[" : ", ") + OnOneLine(element);
    }
    return out.empty() ? "[]" : out + "]";
  }
  return scalar(value);
}

// SARIF's messages are sentences.
std::string Sentence(const std::string& text) {
  return !text.empty() && text.back() != '.' ? text + "." : text;
}

std::string SarifLog(const std::vector<FileFindings>& files) {
  const std::span<const CheckRule> rules = CheckRules();
  std::string out =
      "{\n"
      "  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
      "  \"version\": \"2.1.0\",\n"
      "  \"runs\": [\n"
      "    {\n"
      "      \"tool\": {\n"
      "        \"driver\": {\n"
      "          \"name\": \"tarnwick-doc\",\n"
      "          \"version\": \"" TARNWICK_VERSION_TEXT
      "\",\n"
      "          \"semanticVersion\": \"" TARNWICK_VERSION_TEXT
      "\",\n"
      "          \"rules\": [";
  for (size_t i = 0; i < rules.size(); ++i) {
    const CheckRule& rule = rules[i];
    nlohmann::ordered_json entry = {{"id", rule.code},
                                    {"name", rule.name},
                                    {"shortDescription", {{"text", rule.summary}}},
                                    {"defaultConfiguration", {{"level", "warning"}}}};
    if (!rule.vbWarnings.empty()) {
      entry["properties"] = {{"vbWarnings", rule.vbWarnings}};
    }
    out += std::string(i == 0 ? "" : ",") + "\n            " + OnOneLine(entry);
  }
  out +=
      "\n          ]\n"
      "        }\n"
      "      },\n"
      "      \"results\": [";
  bool first = true;
  for (const FileFindings& file : files) {
    const std::string uri = ArtifactUri(file.path);
    for (const Finding& finding : file.findings) {
      size_t index = 0;
      while (index < rules.size() && rules[index].code != finding.code) {
        ++index;
      }
      nlohmann::ordered_json result = {{"ruleId", finding.code}};
      if (index < rules.size()) {
        result["ruleIndex"] = index;
      }
      result["level"] = "warning";
      result["message"] = {{"text", Sentence(finding.message)}};
      nlohmann::ordered_json location = {{"artifactLocation", {{"uri", uri}}}};
      if (finding.line > 0) {
        location["region"] = {{"startLine", finding.line}};
      }
      const nlohmann::ordered_json physical = {{"physicalLocation", std::move(location)}};
      result["locations"] = nlohmann::ordered_json::array({physical});
      out += std::string(first ? "" : ",") + "\n        " + OnOneLine(result);
      first = false;
    }
  }
  out += std::string(first ? "" : "\n      ") +
         "]\n"
         "    }\n"
         "  ]\n"
         "}\n";
  return out;
}

}  // namespace

std::string GithubCommand(const std::string& path, const Finding& finding) {
  std::string command = "::warning file=" + CommandProperty(path);
  if (finding.line > 0) {
    command += ",line=" + std::to_string(finding.line);
  }
  if (!finding.code.empty()) {
    command += ",title=" + CommandProperty(finding.code);
  }
  return command + "::" + CommandData(finding.message);
}

std::string ArtifactUri(const std::string& path) {
  std::string prefix;
  std::string_view rest = path;
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '/' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive) {
    prefix = "file:///" + path.substr(0, 2);  // C:/src/M.bas -> file:///C:/src/M.bas
    rest.remove_prefix(2);
  } else if (path.starts_with("//")) {
    prefix = "file:";  // //server/share/M.bas -> file://server/share/M.bas
  } else if (path.starts_with("/")) {
    prefix = "file://";
  }
  std::string out = prefix;
  for (const char c : rest) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                            c == '~' || c == '/';
    if (unreserved) {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string ReportFindings(ReportFormat format, const std::vector<FileFindings>& files) {
  if (format == ReportFormat::kSarif) {
    return SarifLog(files);
  }
  std::string out;
  for (const FileFindings& file : files) {
    for (const Finding& finding : file.findings) {
      out += format == ReportFormat::kGithub ? GithubCommand(file.path, finding)
                                             : Located(file.path, finding);
      out += '\n';
    }
  }
  return out;
}

}  // namespace tarnwick
