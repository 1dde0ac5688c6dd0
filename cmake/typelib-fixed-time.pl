#!/usr/bin/perl
# widl records in a type library the time it ran, as text ("Created by WIDL version ... at <ctime>")
# and as a number right after it. Both become the epoch here, so that the library, and the DLL
# holding it, are the same from build to build.
#   perl typelib-fixed-time.pl LIBRARY.tlb
use strict;
use warnings;

my $file = shift or die "usage: typelib-fixed-time.pl LIBRARY.tlb\n";
open(my $in, '<:raw', $file) or die "$file: $!\n";
my $data = do { local $/; <$in> };
close $in;

# The text is padded with "W" to four bytes; the number follows as a VT_UI4 (0x13) value.
my $found = $data =~ s/(Created by WIDL version [^\n]* at )[^\n]{24}(\nW*\x13\x00)[\s\S]{4}/
                       $1 . "Thu Jan  1 00:00:00 1970" . $2 . "\0\0\0\0"/e;
$found or die "$file: widl's record of its run time was not found\n";

open(my $out, '>:raw', $file) or die "$file: $!\n";
print $out $data or die "$file: $!\n";
close $out or die "$file: $!\n";
