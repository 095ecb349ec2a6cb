// Found first on the include path of the libraries below the front ends
// (veskal_without_command_line), so that one of them including the
// command-line or JSON library fails to build.
#error "a shared library includes the command-line or JSON library: that is the front ends' (cli/)"
