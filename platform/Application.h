// Stand-in for the application object of the original platform. The tool
// creates one with its signature and never runs a message loop; nothing
// else is asked of it, so the signature is not kept.
#pragma once

class BApplication {
public:
    explicit BApplication(const char * /* signature */) {}
};
