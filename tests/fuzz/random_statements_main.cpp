// Runs a fuzz target over seeded random variations of connection strings and statements,
// for compilers without libFuzzer. Usage: xls_parsers_fuzz_random [count] [seed]

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::array<const char*, 8> kSeeds = {
    "DRIVER={velanto Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"/tmp/a b.xls\";"
    "DBQ=/tmp/a b.xls",
    "CREATE TABLE velanto (  0ID TEXT,  1TESTNO TEXT,  9remark TEXT ) \n"
    "INSERT INTO velanto ( 0ID ,  1TESTNO ,  9remark ) VALUES( '4660' ,  '1' ,  '' )",
    "create table [t]]x] (\"a\"\"b\" varchar(10), `c` numeric(5, 2))\ninsert into [t]]x] values ('it''s', -1.5e3)",
    "CREATE TABLE t (a TEXT)\nINSERT INTO t VALUES (NULL)\nDROP TABLE t\nDROP TABLE t",
    "DBQ={a;b};READONLY=maybe;=x;;",
    "INSERT INTO t (a, b) VALUES ('\xE8\xA6\x86', .5)",
    "CREATE TABLE \xE8\xA1\xA8 (\xE5\x88\x97 TEXT);",
    "DRIVER=\"x;DBQ=\"y",
};
constexpr std::string_view kSpecial = "'\"[]`(),;={}\n \t.-+eE0\xE8\xFF";

// A seed with a few random edits: special characters inserted, bytes replaced, cuts.
std::string Mutate(std::mt19937& engine) {
    std::string text = kSeeds[engine() % kSeeds.size()];
    for (unsigned edits = engine() % 6; edits > 0 && !text.empty(); --edits) {
        const std::size_t at = engine() % text.size();
        switch (engine() % 4) {
            case 0: text.insert(at, 1, kSpecial[engine() % kSpecial.size()]); break;
            case 1: text[at] = static_cast<char>(engine()); break;
            case 2: text.erase(at, engine() % 8); break;
            default: text.resize(at); break;
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 20000;
    std::mt19937 engine(argc > 2 ? static_cast<std::uint32_t>(std::atol(argv[2])) : 20261208u);
    for (long i = 0; i < count; ++i) {
        const std::string text = Mutate(engine);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    std::printf("%ld random connection strings and statements parsed\n", count);
    return 0;
}
