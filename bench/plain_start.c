/* The plain C program whose start varnox-cli's start is measured against: it does nothing. */
int main(void)
{
    return 0;
}
