#include "core/shell_app.h"

int main(int argc, char** argv) {
    return tn::runShell(argc, argv);
}
