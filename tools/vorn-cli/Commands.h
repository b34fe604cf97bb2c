// The commands of vorn-cli; each returns the exit status.
#pragma once

namespace vorn {

struct Arguments;

int RunInfo(const Arguments& args);
int RunResidues(const Arguments& args);
int RunBonds(const Arguments& args);
int RunRmsd(const Arguments& args);
int RunSave(const Arguments& args);
int RunTraj(const Arguments& args);
int RunArea(const Arguments& args);
int RunHbonds(const Arguments& args);
int RunRender(const Arguments& args);
int RunMovie(const Arguments& args);

} // namespace vorn
