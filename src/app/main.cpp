// vorn: the desktop viewer of molecular structures and trajectories.
#include "app/VornApp.h"

int main(int argc, char** argv) {
    return vorn::RunViewer(argc, argv);
}
