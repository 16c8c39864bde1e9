#include "language/parseDescription.h"

#include <cassert>

#include "language/descriptionScanner.h"
#include "language/tokens.h"

descriptionResult_t parseDescription(FILE *input, splashDescription_t *description)
{
    descriptionResult_t result;
    descriptionScanner_t scanner(input);
    int parsed = yyparse(&scanner, description, &result);
    assert((parsed == 0) == (result.status == descriptionStatus_t::accepted));
    (void)parsed;
    return result;
}

std::string descriptionFailureText(const descriptionResult_t &result)
{
    switch (result.status) {
    case descriptionStatus_t::accepted:
        break;
    case descriptionStatus_t::syntaxError:
        return "\n\nSyntax error at line " + std::to_string(result.line) + "\n";
    case descriptionStatus_t::imageTableFull:
        return "Image table full, bailing out\n";
    case descriptionStatus_t::scannerFailed:
        return std::string(result.message) + "\n";
    }
    return "";
}
