#!/bin/sh
# CMake's compiler and linker launcher for the shipped program's targets: runs the compiler named
# first in place of the project's own, which CMake names second, with CMake's arguments.
#   compile-with.sh COMPILER PROJECT_COMPILER ARGUMENTS...
compiler=$1
shift 2
exec "$compiler" "$@"
