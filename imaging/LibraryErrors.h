#pragma once

// The image library keeps one error buffer for the whole process, and a decoder error
// met in one of its worker threads sometimes reaches us only through that buffer. With
// pictures handled side by side, a message in it may be another thread's, and a clear
// by one thread may wipe out another's evidence. These keep the verdict exact: the
// buffer is cleared only when no decode is watching it, and a decode that saw a
// message is checked again while no other thread uses the library. Only Picture*.cpp
// use them.

namespace picture_impl {

// Held by every Picture operation that calls the library; nests within a thread.
class LibraryUse {
public:
    LibraryUse();
    ~LibraryUse();
    LibraryUse(const LibraryUse&) = delete;
    LibraryUse& operator=(const LibraryUse&) = delete;
};

// Watches the error buffer during one decode.
class DecodeWatch {
public:
    DecodeWatch();
    ~DecodeWatch();
    DecodeWatch(const DecodeWatch&) = delete;
    DecodeWatch& operator=(const DecodeWatch&) = delete;

    // Ends the watch: true when the buffer holds a message, this decode's or another's.
    bool End();

private:
    bool m_ended = false;
};

// While one lives no other thread uses the library, and the buffer starts empty: a
// message in it is this thread's.
class DecodeAlone {
public:
    DecodeAlone();
    ~DecodeAlone();
    DecodeAlone(const DecodeAlone&) = delete;
    DecodeAlone& operator=(const DecodeAlone&) = delete;

private:
    bool m_wasUsing = false;
};

// Clears the buffer unless a decode is watching it; its messages are then left to the
// next decode that starts when none runs.
void ClearLibraryErrors();

} // namespace picture_impl
