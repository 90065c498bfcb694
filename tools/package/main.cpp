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
#include <string>

#include "text/encoding.h"
#include "text/source_text.h"
#include "tarnwick_version.h"
#include "tools/package/package_registry.h"

namespace {

constexpr char kUsage[] =
    "usage: tarnwick-package-registry --platform x64|x86 --scripts DIR --idl FILE "
    "[--version X.Y.Z] --out FILE\n";

}  // namespace

int main(int argc, char** argv) {
  // Options come in pairs: --name value.
  std::map<std::string, std::string> options = {{"--version", TARNWICK_VERSION_TEXT}};
  for (int i = 1; i + 1 < argc; i += 2)
    options[argv[i]] = argv[i + 1];
  bool complete = argc % 2 == 1;
  for (const char* required : {"--platform", "--scripts", "--idl", "--out"})
    complete = complete && options.count(required) != 0;
  if (!complete) {
    std::cerr << kUsage;
    return 2;
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
    if (!(out << table) || !out.flush())
      throw std::runtime_error("cannot write " + options["--out"]);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-package-registry: " << error.what() << "\n";
    return 1;
  }
}
