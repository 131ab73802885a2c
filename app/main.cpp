// Program entry. Until the main window lands, points the user at the
// command-line front end.
#include <cstdio>

int main()
{
    std::puts("Brisklet V1.01: the main window is not built yet; use brisklet-cli --help.");
    return 0;
}
