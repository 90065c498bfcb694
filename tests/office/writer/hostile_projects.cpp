#include "tests/office/writer/hostile_projects.h"

#include "tests/office/writer/project_writer.h"

namespace tarnwick::office::testing {

namespace {

ModuleFixture SmallModule(size_t i) {
  ModuleFixture module;
  module.name = L"M" + std::to_wstring(i);
  module.source = ModuleSource(module.name, ModuleKind::kStandard, L"Sub A()\r\nEnd Sub\r\n");
  module.compiledBytes = 4;
  return module;
}

CfbNode& Child(std::vector<CfbNode>& nodes, const std::wstring& name) {
  for (CfbNode& node : nodes) {
    if (node.name == name) {
      return node;
    }
  }
  return nodes.front();
}

}  // namespace

std::string ModulesSharingOneStream(size_t modules, size_t streamBytes) {
  ProjectFixture project;
  for (size_t i = 0; i < modules; ++i) {
    ModuleFixture module = SmallModule(i);
    module.streamName = L"Shared";
    module.rawText = "";
    // The first module's stream is the one kept: its stand-in for compiled
    // code fills it; every offset points past it, at the empty source.
    module.compiledBytes = i == 0 ? static_cast<uint32_t>(streamBytes) : 0;
    module.offsetSkew = i == 0 ? 0 : static_cast<int32_t>(streamBytes);
    project.modules.push_back(module);
  }
  std::vector<CfbNode> nodes = ProjectNodes(project);
  // One stream of that name: the others the writer made are dropped.
  std::vector<CfbNode>& vba = Child(nodes, L"VBA").children;
  bool kept = false;
  std::erase_if(vba, [&](const CfbNode& node) {
    if (node.name != L"Shared") {
      return false;
    }
    const bool drop = kept;
    kept = true;
    return drop;
  });
  return WriteCompoundFile(CfbNode::Storage(L"Root Entry", std::move(nodes)));
}

std::string ManyModulesAndStreams(size_t modules, size_t extraStreams) {
  ProjectFixture project;
  for (size_t i = 0; i < modules; ++i) {
    project.modules.push_back(SmallModule(i));
  }
  std::vector<CfbNode> nodes = ProjectNodes(project);
  std::vector<CfbNode>& vba = Child(nodes, L"VBA").children;
  for (size_t i = 0; i < extraStreams; ++i) {
    vba.push_back(CfbNode::Stream(L"S" + std::to_wstring(i), "x"));
  }
  return WriteCompoundFile(CfbNode::Storage(L"Root Entry", std::move(nodes)));
}

std::string LineEndRunModules(size_t modules, size_t lineEnds) {
  ProjectFixture project;
  for (size_t i = 0; i < modules; ++i) {
    ModuleFixture module = SmallModule(i);
    std::string text = "Attribute VB_Name = \"M" + std::to_string(i) + "\"\r\n";
    text.reserve(text.size() + 2 * lineEnds);
    for (size_t n = 0; n < lineEnds; ++n) {
      text += "\r\n";
    }
    module.rawText = std::move(text);
    project.modules.push_back(module);
  }
  return OfficeFile(Container::kXlsm, project);
}

}  // namespace tarnwick::office::testing
