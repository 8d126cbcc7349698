// kynovia-admin: command-line tool for installers and scripts.
#include <cstdio>
int main() { std::puts("kynovia-admin"); return 0; }
