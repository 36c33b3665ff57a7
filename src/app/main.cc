// zorbel: the bridge between point-of-sale software and the fiscal
// controller. "zorbel test" runs it in the terminal; "zorbel install" and
// "zorbel uninstall" manage it as a service.
#include "app/program.h"

int main(int argc, char** argv) { return Zorbel::RunProgram(argc, argv); }
