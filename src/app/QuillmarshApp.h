#pragma once

// The application: one window around the root view, the delegate's launch answers, quit on a
// termination signal, and the children and background queues ended, in bounded time, before exit.
class QuillmarshApp {
public:
    static int main(int argc, char* argv[]);
    // A write past the file-size limit then fails (EFBIG) and is reported like any other failed
    // write, where the signal's default would end the process without a word.
    static void ignoreFileSizeSignal();
};
