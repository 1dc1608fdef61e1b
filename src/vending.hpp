#ifndef VENDING_VENDING_HPP
#define VENDING_VENDING_HPP

#include <array>
#include <string_view>

// The balance in dollars for the whole run. Every price is a multiple of 0.50
// and a run starts at 15.00, so every balance that can occur is exact even in
// single precision.
extern float wallet;

// One drink of the machine. The amounts inside the texts are part of the
// texts rather than formatted from `price`, so what the customer reads never
// depends on how a price happens to round.
struct Beverage {
    int selection;
    double price;
    std::string_view menu_line;
    std::string_view purchase_message;
};

inline constexpr std::array<Beverage, 5> beverages{{
    {1, 0.5, "1 - Water $0.50\n", "You have purchased 'Water' for $0.50\n"},
    {2, 1.0, "2 - Apple Juice $1.00\n", "You have purchased 'Apple Juice' for $1.00\n"},
    {3, 1.5, "3 - Cola $1.50\n", "You have purchased 'Cola' for $1.50\n"},
    {4, 2.0, "4 - Fanta $2.00\n", "You have purchased 'Fanta' for $2.00\n"},
    {5, 10.0, "5 - Rum $10.00\n", "You have purchased 'Rum' for $10.00\n"},
}};

// The drink sold under a selection number, or nullptr when there is none.
const Beverage* find_beverage(int selection);

// Writes the balance, the whole menu and the prompt to standard output. The
// prompt ends without a line end so that the answer is typed beside it.
void show_menu();

#endif
