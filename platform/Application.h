// Stand-in for the application object of the original platform. The tool
// creates one with its signature and never runs a message loop; nothing else
// is asked of it.
#pragma once

#include <string>

class BApplication {
public:
    explicit BApplication(const char *signature) : signature_(signature) {}
    const std::string &Signature() const { return signature_; }

private:
    std::string signature_;
};
