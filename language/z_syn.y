/* Grammar of the splash description. Actions stay thin: they build values
 * and hand them to the functions in descriptionActions.cpp. The parser is
 * pure: the scanner, the record and the outcome come in as parameters, and a
 * failure makes yyparse return after freeing what it holds. A syntax error
 * is reported through the parser's context, so that the report can say
 * what the parser would have taken there (syntaxHint.cpp words it). */

%require "3.6"

%code requires {
#include "language/descriptionActions.h"
#include "language/descriptionScanner.h"
#include "language/parseDescription.h"
#include "language/splashDescription.h"
}

%{
#include <new>

#include "language/syntaxHint.h"

/* The generated parser may grow its stack by copying it, which in C++ needs
 * this promise about the value type. */
#define YYSTYPE_IS_TRIVIAL 1
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
%}

%code {
static int yylex(YYSTYPE *value, descriptionScanner_t *scanner, descriptionResult_t *result);
static void yyerror(descriptionScanner_t *scanner, splashDescription_t *description,
                    descriptionResult_t *result, const char *message);
}

%define api.pure full
%define parse.error custom
/* A state that has read a token takes no default reduction: an error is
 * found in the state that read it, whose tokens are then exactly those
 * that could have stood there. Valid input takes the same steps either way. */
%define lr.default-reduction consistent
%union {
    char *text;
    int32_t number;
    pointValue_t point;
    screenLine_t screen;
    iconsLine_t icons;
    sizeModifier_t size;
    imageLine_t image;
}
%parse-param {descriptionScanner_t *scanner} {splashDescription_t *description} {descriptionResult_t *result}
%lex-param {descriptionScanner_t *scanner} {descriptionResult_t *result}

/* A file name belongs to the parser until an image entry or the icons
 * definition takes it; a failed parse frees the ones still on its stack or in
 * its lookahead. */
%destructor { delete[] $$; } <text>
%destructor { delete[] $$.fileName; } <image>
%destructor { delete[] $$.litFile; delete[] $$.unlitFile; } <icons>

/* The names are those a syntax error report gives: a keyword as it is
 * written, any other token as a phrase, which always has a blank in it. */
%token EOL 257 "a line end"
%token _SCREEN 258 "screen"
%token _ICONS 259 "icons"
%token _IMAGE 260 "image"
%token _AT 261 "at"
%token _TO 262 "to"
%token _RESIZED 263 "resized"
%token _CLIPPED 264 "clipped"
%token <text> STRING_CONSTANT 265 "a file name"
%token <number> INTEGER_CONSTANT 266 "a number"
%token _COVERING 267 "covering"
%token _WITHIN 268 "within"
%token _FOCUS 269 "focus"

%type <text> StringConstant
%type <number> IntegerConstant
%type <point> OptionalFocus
%type <screen> ScreenDefinition
%type <icons> IconDefinition
%type <size> OptionalSizeModifiers SizeModifiers
%type <image> ImageDefinition OptionalModifiers Modifiers

%start Input

%%

Input
    : { startOfInput(description); } DefinitionList
    | { startOfInput(description); } Empty
    ;

DefinitionList
    : Definition
    | Definition DefinitionList
    ;

Definition
    : ScreenDefinition  { defineScreen(description, $1); }
    | IconDefinition    { defineIcons(description, $1); }
    | ImageDefinition
        {
          if (!appendImage(description, $1)) {
              result->status = descriptionStatus_t::imageTableFull;
              YYABORT;
          }
        }
    | EmptyLine
    ;

ScreenDefinition
    : _SCREEN IntegerConstant IntegerConstant IntegerConstant EOL
        { $$ = screenLine_t{$2, $3, $4}; }
    ;

IconDefinition
    : _ICONS _AT IntegerConstant IntegerConstant EOL
        { $$ = iconsLine_t{nullptr, nullptr, {$3, $4}}; }
    | _ICONS StringConstant StringConstant _AT IntegerConstant IntegerConstant EOL
        { $$ = iconsLine_t{$2, $3, {$5, $6}}; }
    ;

ImageDefinition
    : _IMAGE StringConstant OptionalModifiers EOL
        { $$ = $3; $$.fileName = $2; }
    ;

OptionalModifiers
    : Modifiers         { $$ = $1; }
    | Empty             { $$ = imageLine_t{nullptr, {0, 0}, {MOD_NONE, 0, 0, {0, 0}}}; }
    ;

Modifiers
    : _AT IntegerConstant IntegerConstant OptionalSizeModifiers
        { $$ = imageLine_t{nullptr, {$2, $3}, $4}; }
    ;

OptionalSizeModifiers
    : SizeModifiers     { $$ = $1; }
    | Empty             { $$ = sizeModifier_t{MOD_NONE, 0, 0, {0, 0}}; }
    ;

SizeModifiers
    : _RESIZED _TO IntegerConstant IntegerConstant
        { $$ = sizeModifier_t{MOD_RESIZED, $3, $4, {0, 0}}; }
    | _CLIPPED _TO IntegerConstant IntegerConstant
        { $$ = sizeModifier_t{MOD_CLIPPED, $3, $4, {0, 0}}; }
    | _COVERING IntegerConstant IntegerConstant OptionalFocus
        { $$ = sizeModifier_t{MOD_COVERING, $2, $3, $4}; }
    | _WITHIN IntegerConstant IntegerConstant
        { $$ = sizeModifier_t{MOD_WITHIN, $2, $3, {0, 0}}; }
    ;

OptionalFocus
    : _FOCUS IntegerConstant IntegerConstant
        { $$ = pointValue_t{$2, $3}; }
    | Empty             { $$ = pointValue_t{kCentredFocus, kCentredFocus}; }
    ;

IntegerConstant
    : INTEGER_CONSTANT  { $$ = $1; }
    ;

StringConstant
    : STRING_CONSTANT   { $$ = $1; }
    ;

EmptyLine
    : EOL
    ;

Empty
    : %empty
    ;

%%

/* Codes of 0 or less end the input only at the real end of the file. A NUL
 * byte or a byte from 0x80 up outside strings and comments also has such a
 * code; it must not silently drop the rest of the file, so it becomes a token
 * that no production accepts. */
static const int unknownCharacter = 1000;

/* The value of a constant is taken when its token arrives, and a string's
 * text passes to the parser with it. A fatal scanner error ends the parse
 * through the parser's error path, which frees the stack, without a syntax
 * error report. */
static int yylex(YYSTYPE *value, descriptionScanner_t *scanner, descriptionResult_t *result)
{
    const token_t *token;
    try {
        token = scanner->getToken();
    } catch (const scannerFailure_t &failure) {
        result->status = descriptionStatus_t::scannerFailed;
        result->message = failure.message;
        return YYerror;
    }
    *value = YYSTYPE{};
    if (token->tok == STRING_CONSTANT)
        value->text = token->value.text;
    else if (token->tok == INTEGER_CONSTANT)
        value->number = token->value.number;
    if (token->tok > 0)
        return token->tok;
    return scanner->inputEnded() ? YYEOF : unknownCharacter;
}

/* Reached only when the parser stack is exhausted, which is reported as a
 * syntax error; the message bison passes is not shown. */
static void yyerror(descriptionScanner_t *scanner, splashDescription_t *, descriptionResult_t *result,
                    const char *)
{
    result->status = descriptionStatus_t::syntaxError;
    result->line = scanner->currentToken().line;
    try {
        result->reason = stackFullReason;
    } catch (const std::bad_alloc &) {
        // The error line alone is still the report.
    }
}

/* The lookahead is the last token scanned: the parser reads no further
 * before it finds an error. */
static int yyreport_syntax_error(const yypcontext_t *context, descriptionScanner_t *scanner,
                                 splashDescription_t *, descriptionResult_t *result)
{
    result->status = descriptionStatus_t::syntaxError;
    result->line = scanner->currentToken().line;
    yysymbol_kind_t kinds[YYNTOKENS];
    const int count = yypcontext_expected_tokens(context, kinds, YYNTOKENS);
    try {
        std::vector<const char *> expected;
        for (int i = 0; i < count; ++i)
            expected.push_back(yysymbol_name(kinds[i]));
        result->reason = syntaxErrorReason(scanner, expected);
    } catch (const std::bad_alloc &) {
        // The error line alone is still the report.
    }
    return 0;
}
