#include <new>

#include "body_memory.h"

BodyMemory::BodyMemory(std::size_t size) : data_(new (std::nothrow) char[size]), size_(size) {}

BodyMemory::~BodyMemory() { delete[] data_; }
