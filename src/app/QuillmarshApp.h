#pragma once

// The application: one window around the root view, the delegate's launch answers, and the
// background queues drained before the process ends.
class QuillmarshApp {
public:
    static int main(int argc, char* argv[]);
};
