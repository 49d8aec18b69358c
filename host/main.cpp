#include <iostream>

#include "host/host_app.h"

int main(int argc, char** argv) { return integracao_host::ExecutaHost(argc, argv, std::cout, std::cerr); }
