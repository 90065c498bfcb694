// The documentation library: what the ''' blocks of a VBA module mean, for
// every tool that stands on it (tarnwick-doc's command line, the language
// server). Text held in memory goes in, values come out: nothing here parses
// arguments, opens or writes files, or starts threads, and every function may
// run on any thread for a module of its own. Failures are exceptions, as each
// header says; a tool's boundary turns them into its own kind of answer.
//
// The headers, from the module up:
//   module.h           DocModule, the one record of a module: where it came
//                      from (ModuleOrigin), its lines, what it declares, and
//                      the line a user is shown for each of its lines.
//                      ReadModuleText reads a module held in memory;
//                      ReadDocModule a module file's bytes. Finding, Shown()
//                      and Located() make messages "PATH:LINE: CODE message".
//   exported_module.h  a module of an Office file as its export reads
//                      (ModuleFromProject), the editor's line numbers, the
//                      names a module file may have.
//   members.h          DocumentedMembers (a property's Get, Let and Set as one
//                      member), ReadBlockContent (a block's text and XML),
//                      member IDs.
//   xml_fragment.h     the XML inside a block: ParseXmlFragment, EscapeXml.
//   check_rules.h      the rules of check: codes, names, summaries.
//   check.h            CheckModule over one module, with a CrefScope of the
//                      modules checked together.
//   descriptions.h     the Object Browser's descriptions and their summaries.
//   sync.h             SyncModule's plan, as lines, as line edits (SyncEdits),
//                      as the file's bytes or as a unified diff.
//   xml_file.h         the XML documentation file.
//   markdown.h         the Markdown site, and one member for a hover.
//
// A second tool reads a module held in memory and lists its findings so:
//
//   const DocModule module = ReadModuleText(Utf8ToWide(utf8Text),
//                                           "src/Calc.bas", L"Calc");
//   for (const Finding& finding : CheckModule(module)) {
//     std::cout << Located(module, finding) << "\n";  // src/Calc.bas:3: TWD013 ...
//   }
//
// and over a workspace, with the modules' crefs resolved among them:
//
//   std::vector<const DocModule*> all = ...;  // kept alive and unchanged
//   const CrefScope scope(all);
//   CheckOptions options;                      // --missing, --ignore
//   std::vector<Finding> found = CheckModule(*all[0], options, scope);
//
// Lines in findings and edits are lines of the module's source: 1-based in
// findings, 0-based in LineEdit. A module read from text held in memory has no
// line mapping, so they are the editor's lines as they stand.
#pragma once

#include "documentation/check.h"
#include "documentation/check_rules.h"
#include "documentation/descriptions.h"
#include "documentation/exported_module.h"
#include "documentation/markdown.h"
#include "documentation/members.h"
#include "documentation/module.h"
#include "documentation/sync.h"
#include "documentation/xml_file.h"
#include "documentation/xml_fragment.h"
