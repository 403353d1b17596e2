// The creditsim program.
#include "app.hpp"

int main(int argc, char** argv) { return creditsim::cli::RunApplication(argc, argv, "creditsim"); }
