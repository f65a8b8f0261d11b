#include "app/Launcher.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

#include "app/Programmodule.h"
#include "support/Supportfiles.h"

namespace vombrel {

std::vector<std::string> ProgramModuleCandidates(const std::string& executablePath) {
  const auto slash = executablePath.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string("./") : executablePath.substr(0, slash + 1);
  return {folder + kProgramModuleFileName, folder + kProgramModuleInstalledFolder + kProgramModuleFileName};
}

namespace {

// The first candidate that exists; all of them when none does, so the message names every
// place looked at.
std::vector<std::string> ModulesToTry(const std::vector<std::string>& candidates) {
  for (const std::string& candidate : candidates)
    if (access(candidate.c_str(), F_OK) == 0) return {candidate};
  return candidates;
}

// The loader's last error about the path, naming the path (the loader's text mostly does).
std::string LoaderError(const std::string& path) {
  const char* error = dlerror();
  const std::string reason = error ? error : "unknown error";
  return reason.find(path) == std::string::npos ? path + ": " + reason : reason;
}

int ModuleFailure(const char* program, const std::string& reasons) {
  (void)std::fprintf(stderr, "%s: cannot load the program module: %s\n", program, reasons.c_str());
  return 1;
}

}  // namespace

int RunProgramModule(int argc, char** argv, int lockDescriptor) {
  const char* program = argc > 0 ? argv[0] : "vombrel";
  const std::string executable = ExecutablePath();
  if (executable.empty()) return ModuleFailure(program, "the executable's own path is unknown");
  std::string reasons;
  for (const std::string& path : ModulesToTry(ProgramModuleCandidates(executable))) {
    // Never unloaded: the program runs in it until the process ends.
    void* module = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!module) {
      reasons += (reasons.empty() ? "" : "; ") + LoaderError(path);
      continue;
    }
    const auto entry = reinterpret_cast<ProgramModuleEntry>(dlsym(module, kProgramModuleEntryName));
    if (!entry) return ModuleFailure(program, LoaderError(path));
    return entry(argc, argv, lockDescriptor);
  }
  return ModuleFailure(program, reasons);
}

}  // namespace vombrel
