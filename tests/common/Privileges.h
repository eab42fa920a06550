// Runs a block of a test as a user without the right to override file permissions, as a
// normal desktop user is: root would open an unreadable device node anyway.
#pragma once

class WithoutFileAccessOverride
{
public:
    WithoutFileAccessOverride();
    ~WithoutFileAccessOverride();

    WithoutFileAccessOverride(const WithoutFileAccessOverride &) = delete;
    WithoutFileAccessOverride &operator=(const WithoutFileAccessOverride &) = delete;

private:
    unsigned int savedEffective[2] = {0, 0};
    bool changed = false;
};
