#include "vending.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

// Every run starts with the same money; a new wallet needs a new run.
constexpr float full_wallet = 15.0F;

constexpr std::string_view refund_message = "Invalid selection, here is your money back.\n";
constexpr std::string_view short_of_money = "Not enough money left!\n";
// Written without a line end: with an empty wallet every further line gets
// this same answer, and the answers run on in the output.
constexpr std::string_view restart_advice = "Restart the program for a new wallet!";

// Pushes everything written so far to standard output, so that the prompt is
// on screen while we wait for the next line. Returns 0 when all of it was
// written, or else the error number of the write that failed.
int flush_output()
{
    if (std::cout) {
        errno = 0;
        std::cout.flush();
    }
    if (std::cout) {
        return 0;
    }
    // The stream library may fail without leaving a reason behind.
    return errno != 0 ? errno : EIO;
}

int report_write_error(int error)
{
    std::cerr << "vending: write error: " << std::strerror(error) << '\n';
    return EXIT_FAILURE;
}

// Answers a selection number that was read while money is left.
void answer_selection(int selection)
{
    const Beverage* beverage = find_beverage(selection);
    if (beverage == nullptr) {
        std::cout << refund_message;
    } else if (const double balance = wallet; balance >= beverage->price) {
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
        if (const int error = flush_output(); error != 0) {
            return report_write_error(error);
        }
        // Once input has ended every further read fails and leaves the last
        // line in place; answering it again would repeat a purchase, or the
        // empty-wallet advice, without end.
        if (!std::cin.good()) {
            return EXIT_SUCCESS;
        }
        std::getline(std::cin, line);
        if (!answer_line(line)) {
            break;
        }
    }
    if (const int error = flush_output(); error != 0) {
        return report_write_error(error);
    }
    // Wait for Enter before closing, so that a console window opened just for
    // this program stays readable; at the end of input this returns at once.
    std::cin.get();
    return EXIT_SUCCESS;
}

} // namespace

int main()
{
    return run_session();
}
