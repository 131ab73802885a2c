// Test main for window libraries, on the offscreen platform.
#include "test_main.h"

#include <QApplication>

int main(int argc, char** argv)
{
    return runAllTestsIn<QApplication>(argc, argv);
}
