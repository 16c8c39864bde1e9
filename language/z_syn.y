/* Grammar of the splash description. Actions stay thin: they build values
 * and hand them to the functions in descriptionActions.cpp. */

%code requires {
#include "language/splashDescription.h"

/* Every symbol's value has the shape of an image entry: slot 0 holds a text
 * or a number, slots 1 to 5 numbers. */
struct semanticValue_t {
    char *text;
    int32_t slot[6];
};
}

%code provides {
/* The parser's own view of the current token, kept so that constants can be
 * fetched from the scanner's record when they are reduced. */
extern token_t *lastToken;
int32_t yylex_number();
char *yylex_string();
}

%{
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/descriptionActions.h"
#include "language/descriptionFailure.h"

/* The generated parser may grow its stack by copying it, which in C++ needs
 * this promise about the value type. */
#define YYSTYPE_IS_TRIVIAL 1
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

token_t *lastToken = nullptr;

static int yylex();
static void yyerror(splashDescription_t *description, const char *message);
%}

%define api.value.type {struct semanticValue_t}
%parse-param {splashDescription_t *description}

%token EOL 257
%token _SCREEN 258
%token _ICONS 259
%token _IMAGE 260
%token _AT 261
%token _TO 262
%token _RESIZED 263
%token _CLIPPED 264
%token STRING_CONSTANT 265
%token INTEGER_CONSTANT 266

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
    | IconDefinition    { defineIcons(description, $1.slot); }
    | ImageDefinition   { appendImage(description, $1.text, $1.slot); }
    | EmptyLine
    ;

ScreenDefinition
    : _SCREEN IntegerConstant IntegerConstant IntegerConstant EOL
        { $$ = $2; $$.slot[1] = $3.slot[0]; $$.slot[2] = $4.slot[0]; }
    ;

IconDefinition
    : _ICONS _AT IntegerConstant IntegerConstant EOL
        { $$ = $3; $$.slot[1] = $4.slot[0]; }
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
    ;

IntegerConstant
    : INTEGER_CONSTANT  { $$ = semanticValue_t{}; $$.slot[0] = yylex_number(); }
    ;

StringConstant
    : STRING_CONSTANT   { $$ = semanticValue_t{}; $$.text = yylex_string(); }
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

static int yylex()
{
    lastToken = getToken();
    if (lastToken->tok > 0)
        return lastToken->tok;
    return scannerInputEnded() ? 0 : unknownCharacter;
}

int32_t yylex_number()
{
    assert(lastToken->tok== INTEGER_CONSTANT);
    return lastToken->value.number;
}

char *yylex_string()
{
    assert(lastToken->tok== STRING_CONSTANT);
    return lastToken->value.text;
}

/* Also reached when the parser stack is exhausted; the message bison passes
 * is not shown. */
static void yyerror(splashDescription_t *, const char *)
{
    fprintf(stderr, "\n\nSyntax error at line %d\n", lastToken != nullptr ? lastToken->line : yylineno);
    failDescription(1);
}
