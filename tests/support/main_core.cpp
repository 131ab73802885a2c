// Test main for headless libraries.
#include "test_main.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    return runAllTestsIn<QCoreApplication>(argc, argv);
}
