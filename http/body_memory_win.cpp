#include <cstdlib>

#include "http/body_memory.h"

BodyMemory::BodyMemory(std::size_t size)
    : data_(static_cast<char*>(std::malloc(size)), BodyMemoryRelease{size}) {}

void BodyMemoryRelease::operator()(char* p) const { std::free(p); }
