// check: every module checked at once, the modules of the run as the scope of
// their crefs, and the findings reported in the format asked for.
#include <utility>

#include "documentation/check.h"
#include "tools/doc/check_report.h"
#include "tools/doc/each_module.h"
#include "tools/doc/session.h"

namespace tarnwick {

void RunCheck(Session& session) {
  std::vector<const DocModule*> all;
  for (const DocModule& doc : session.modules) {
    all.push_back(&doc);
  }
  const CrefScope scope(all);
  std::vector<FileFindings> files(session.modules.size());
  ForEachIndex(files.size(), [&](size_t i) {
    const DocModule& doc = session.modules[i];
    std::vector<Finding> findings = CheckModule(doc, session.options[i].check, scope);
    for (Finding& finding : findings) {
      finding = Shown(doc, std::move(finding));
    }
    files[i] = {doc.path, std::move(findings)};
  });
  for (const FileFindings& file : files) {
    if (!file.findings.empty() && session.status == kDocDone) {
      session.status = kDocFound;
    }
  }
  session.out << ReportFindings(session.arguments.format, files);
}

}  // namespace tarnwick
