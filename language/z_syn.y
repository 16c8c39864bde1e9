/* Grammar of the splash description. Actions stay thin: they build values
 * and hand them to the functions in descriptionActions.cpp. The parser is
 * pure: the scanner, the record and the outcome come in as parameters, and a
 * failure makes yyparse return after freeing what it holds. A syntax error
 * is reported through the parser's context, so that the report can say
 * what the parser would have taken there (syntaxHint.cpp words it). */

%require "3.6"

%code requires {
#include "language/descriptionScanner.h"
#include "language/parseDescription.h"
#include "language/splashDescription.h"

/* Every symbol's value has the shape of an image entry: slot 0 holds a text
 * or a number, slots 1 to 7 numbers. An icons definition that names its own
 * strips holds the second file name in text2. */
struct semanticValue_t {
    char *text;
    char *text2;
    int32_t slot[8];
};
}

%{
#include <new>

#include "language/descriptionActions.h"
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
%define api.value.type {struct semanticValue_t}
%parse-param {descriptionScanner_t *scanner} {splashDescription_t *description} {descriptionResult_t *result}
%lex-param {descriptionScanner_t *scanner} {descriptionResult_t *result}

/* A file name belongs to the parser until an image entry or the icons
 * definition takes it; a failed parse frees the ones still on its stack or in
 * its lookahead. */
%destructor { delete[] $$.text; } STRING_CONSTANT StringConstant ImageDefinition
%destructor { delete[] $$.text; delete[] $$.text2; } IconDefinition

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
%token STRING_CONSTANT 265 "a file name"
%token INTEGER_CONSTANT 266 "a number"
%token _COVERING 267 "covering"
%token _WITHIN 268 "within"
%token _FOCUS 269 "focus"

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
    : ScreenDefinition  { defineScreen(description, $1.slot); }
    | IconDefinition    { defineIcons(description, $1.text, $1.text2, $1.slot); }
    | ImageDefinition
        {
          if (!appendImage(description, $1.text, $1.slot)) {
              result->status = descriptionStatus_t::imageTableFull;
              YYABORT;
          }
        }
    | EmptyLine
    ;

ScreenDefinition
    : _SCREEN IntegerConstant IntegerConstant IntegerConstant EOL
        { $$ = $2; $$.slot[1] = $3.slot[0]; $$.slot[2] = $4.slot[0]; }
    ;

IconDefinition
    : _ICONS _AT IntegerConstant IntegerConstant EOL
        { $$ = $3; $$.slot[1] = $4.slot[0]; }
    | _ICONS StringConstant StringConstant _AT IntegerConstant IntegerConstant EOL
        { $$ = $5; $$.slot[1] = $6.slot[0]; $$.text = $2.text; $$.text2 = $3.text; }
    ;

ImageDefinition
    : _IMAGE StringConstant OptionalModifiers EOL
        { $$ = $3; $$.text = $2.text; }
    ;

OptionalModifiers
    : Modifiers         { $$ = $1; }
    | Empty             { $$ = semanticValue_t{}; $$.slot[3] = MOD_NONE; }
    ;

Modifiers
    : _AT IntegerConstant IntegerConstant OptionalSizeModifiers
        {
          $$ = semanticValue_t{};
          $$.slot[1] = $2.slot[0];
          $$.slot[2] = $3.slot[0];
          $$.slot[3] = $4.slot[0];
          $$.slot[4] = $4.slot[1];
          $$.slot[5] = $4.slot[2];
          $$.slot[6] = $4.slot[3];
          $$.slot[7] = $4.slot[4];
        }
    ;

OptionalSizeModifiers
    : SizeModifiers     { $$ = $1; }
    | Empty             { $$ = semanticValue_t{}; $$.slot[0] = MOD_NONE; }
    ;

SizeModifiers
    : _RESIZED _TO IntegerConstant IntegerConstant
        { $$ = semanticValue_t{}; $$.slot[0] = MOD_RESIZED; $$.slot[1] = $3.slot[0]; $$.slot[2] = $4.slot[0]; }
    | _CLIPPED _TO IntegerConstant IntegerConstant
        { $$ = semanticValue_t{}; $$.slot[0] = MOD_CLIPPED; $$.slot[1] = $3.slot[0]; $$.slot[2] = $4.slot[0]; }
    | _COVERING IntegerConstant IntegerConstant OptionalFocus
        {
          $$ = semanticValue_t{};
          $$.slot[0] = MOD_COVERING;
          $$.slot[1] = $2.slot[0];
          $$.slot[2] = $3.slot[0];
          $$.slot[3] = $4.slot[0];
          $$.slot[4] = $4.slot[1];
        }
    | _WITHIN IntegerConstant IntegerConstant
        { $$ = semanticValue_t{}; $$.slot[0] = MOD_WITHIN; $$.slot[1] = $2.slot[0]; $$.slot[2] = $3.slot[0]; }
    ;

OptionalFocus
    : _FOCUS IntegerConstant IntegerConstant
        { $$ = semanticValue_t{}; $$.slot[0] = $2.slot[0]; $$.slot[1] = $3.slot[0]; }
    | Empty
        { $$ = semanticValue_t{}; $$.slot[0] = kCentredFocus; $$.slot[1] = kCentredFocus; }
    ;

IntegerConstant
    : INTEGER_CONSTANT  { $$ = semanticValue_t{}; $$.slot[0] = $1.slot[0]; }
    ;

StringConstant
    : STRING_CONSTANT   { $$ = semanticValue_t{}; $$.text = $1.text; }
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
    *value = semanticValue_t{};
    if (token->tok == STRING_CONSTANT)
        value->text = token->value.text;
    else if (token->tok == INTEGER_CONSTANT)
        value->slot[0] = token->value.number;
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
