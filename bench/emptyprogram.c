/* The yardstick of cli_bench: a process that starts, links the C library and ends. */
int main(void)
{
    return 0;
}
