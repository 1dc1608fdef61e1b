#include "vending.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <string_view>

// WebAssembly without its exception-handling feature cannot unwind: clang
// would accept a catch clause and never reach it.
#if defined(__wasm__) && defined(__cpp_exceptions) && !defined(__wasm_exception_handling__)
#error "This WebAssembly target has no exception handling: build with -fno-exceptions (cmake/wasm32-wasi.cmake does)"
#endif

namespace {

// Every run starts with the same money; a new wallet needs a new run.
constexpr float full_wallet = 15.0F;

constexpr std::string_view refund_message = "Invalid selection, here is your money back.\n";
constexpr std::string_view short_of_money = "Not enough money left!\n";
// Written without a line end: with an empty wallet every further line gets
// this same answer, and the answers run on in the output.
constexpr std::string_view restart_advice = "Restart the program for a new wallet!";

// Pushes everything written so far to standard output, so that the prompt is
// on screen while we wait for the next line. False when a write failed: this
// one, or one earlier within an answer (a terminal takes each line at once),
// which leaves the stream failed. Either way errno still says why.
bool flush_output()
{
    return !std::cout.flush().fail();
}

// True when a read from standard input failed, rather than met the end of
// input. The line reader catches a failed allocation for a line too long to
// store, and marks the stream bad instead.
bool input_failed()
{
    return std::ferror(stdin) != 0 || std::cin.bad();
}

// Says on standard error which kind of input or output failed and why.
int report_error(std::string_view what, int error)
{
    std::cerr << "vending: " << what << " error: " << std::strerror(error) << '\n';
    return EXIT_FAILURE;
}

int report_read_error()
{
    // Without an error from the system, the line did not fit in memory.
    return report_error("read", std::ferror(stdin) != 0 ? errno : ENOMEM);
}

// Answers a selection number that was read while money is left.
void answer_selection(int selection)
{
    const Beverage* beverage = find_beverage(selection);
    if (beverage == nullptr) {
        std::cout << refund_message;
    } else if (const auto balance = static_cast<double>(wallet); balance >= beverage->price) {
        std::cout << beverage->purchase_message;
        wallet = static_cast<float>(balance - beverage->price);
    } else {
        std::cout << short_of_money;
    }
    show_menu();
}

// Answers one line of input. Returns false when the line ends the session:
// a line without a number while money is left.
bool answer_line(const std::string& line)
{
    if (!(wallet > 0.0F)) {
        std::cout << short_of_money << restart_advice;
        return true;
    }
    // Lenient on purpose: blanks before the number, a sign and anything after
    // its digits are accepted, so "  +3", "3abc" and "3.7" all pick 3.
    std::stringstream fields(line);
    int selection = 0;
    if (!(fields >> selection)) {
        std::cout << refund_message;
        show_menu();
        return false;
    }
    answer_selection(selection);
    return true;
}

int run_session()
{
    wallet = full_wallet;
    show_menu();
    std::string line;
    while (true) {
        if (!flush_output()) {
            return report_error("write", errno);
        }
        // Once input has ended every further read fails and leaves the last
        // line in place; answering it again would repeat a purchase, or the
        // empty-wallet advice, without end.
        if (!std::cin.good()) {
            return EXIT_SUCCESS;
        }
        std::getline(std::cin, line);
        if (input_failed()) {
            return report_read_error();
        }
        if (!answer_line(line)) {
            break;
        }
    }
    if (!flush_output()) {
        return report_error("write", errno);
    }
    // Wait for Enter before closing, so that a console window opened just for
    // this program stays readable; at the end of input this returns at once.
    std::cin.get();
    if (input_failed()) {
        return report_read_error();
    }
    return EXIT_SUCCESS;
}

// Past start-up the only memory asked for holds the line just read, or the
// digits of its number, which some libraries keep while they read it. Running
// out of it means that line could not be read, which is not the same as a
// line without a number. Called by operator new, so it works alike whether
// or not the library can throw: what was answered stays, and the run ends.
[[noreturn]] void stop_for_want_of_memory()
{
    const int status = flush_output() ? report_error("read", ENOMEM) : report_error("write", errno);
    std::_Exit(status);
}

} // namespace

int main()
{
    std::set_new_handler(stop_for_want_of_memory);
    return run_session();
}
