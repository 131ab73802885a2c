// Brisklet's entry: everything happens in runProgram.
#include "app/program.h"

int main(int argc, char** argv)
{
    return brisklet::app::runProgram(argc, argv);
}
