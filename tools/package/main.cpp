// tarnwick-package-registry: the Registry table of an installer package, made
// from the add-in's registry scripts and type library source.
//
//   tarnwick-package-registry --platform x64|x86 --scripts DIR --idl FILE
//                             [--version X.Y.Z] --out FILE
//
// DIR holds appid.rgs and connect.rgs. --version defaults to the product's.
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "text/encoding.h"
#include "files/read_file.h"
#include "tarnwick_version.h"
#include "tools/package/package_registry.h"

namespace {

constexpr char kUsage[] =
    "usage: tarnwick-package-registry --platform x64|x86 --scripts DIR --idl FILE "
    "[--version X.Y.Z] --out FILE\n";

}  // namespace

int main(int argc, char** argv) {
  // Options come in pairs, --name value; each known name at most once.
  std::map<std::string, std::string> options = {{"--version", TARNWICK_VERSION_TEXT}};
  const std::set<std::string> known = {"--platform", "--scripts", "--idl", "--version", "--out"};
  std::set<std::string> given;
  for (int i = 1; i < argc; i += 2) {
    const std::string name = argv[i];
    std::string problem;
    if (known.count(name) == 0) {
      problem = "unknown option '" + name + "'";
    } else if (i + 1 == argc) {
      problem = name + " needs a value";
    } else if (!given.insert(name).second) {
      problem = name + " given twice";
    }
    if (!problem.empty()) {
      std::cerr << "tarnwick-package-registry: " << problem << "\n" << kUsage;
      return 2;
    }
    options[name] = argv[i + 1];
  }
  for (const char* required : {"--platform", "--scripts", "--idl", "--out"}) {
    if (given.count(required) == 0) {
      std::cerr << "tarnwick-package-registry: " << required << " is required\n" << kUsage;
      return 2;
    }
  }
  try {
    using namespace tarnwick;
    const auto text = [](const std::string& path) {
      return Decode(ReadFileBytes(path), Encoding::kUtf8);
    };
    PackageInputs inputs;
    inputs.platform = options["--platform"];
    inputs.version = Decode(options["--version"], Encoding::kUtf8);
    inputs.appIdScript = text(options["--scripts"] + "/appid.rgs");
    inputs.connectScript = text(options["--scripts"] + "/connect.rgs");
    inputs.typeLibrary = ReadTypeLibraryFacts(ReadFileBytes(options["--idl"]));
    const std::string table = RegistryTableArchive(PackageRegistryRows(inputs));
    std::ofstream out(options["--out"], std::ios::binary);
    if (!(out << table) || !out.flush()) {
      throw std::runtime_error("cannot write " + options["--out"]);
    }
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-package-registry: " << error.what() << "\n";
    return 1;
  }
}
