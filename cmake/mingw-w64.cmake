# Shared by the two MinGW-w64 toolchain files, which set START_TRIPLET and the processor.
# POSIX threads: std::thread for the connect worker.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${START_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${START_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${START_TRIPLET}-windres)

# zlib comes from libz-mingw-w64-dev under /usr/<triplet>; libpng and libjpeg from the
# cross-built prefix that CMAKE_PREFIX_PATH names.
set(CMAKE_FIND_ROOT_PATH /usr/${START_TRIPLET} ${CMAKE_CURRENT_LIST_DIR}/../build/deps/${START_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
