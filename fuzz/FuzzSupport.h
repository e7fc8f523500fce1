#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The readers under test read files by name: each input is written to a file in a
// folder of this process's own, on /dev/shm where there is one so writing is cheap.
const std::string& ScratchFolder();
void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size);

// Stops the run with a message, so libFuzzer keeps the input that got here.
[[noreturn]] void Broken(const char* what);
