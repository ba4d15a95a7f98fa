#include "TestSupport.h"

int main(int argc, char* argv[]) {
    return testsupport::RunTests(argc, argv);
}
