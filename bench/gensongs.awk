# Writes a comma-delimited song file of n lines (awk -v n=100000 -f gensongs.awk) in the layout of
# the shared sample file: a header of field names, quoted texts with doubled quotes, bare numbers.
function pick(list, count) { return list[int(rand() * count) + 1] }
BEGIN {
    srand(1)
    split("Abba|Motörhead|Sigur Rós|Björk|The \"Boss\" Band|Earth, Wind & Fire|Café Tacvba|" \
          "Queen|Nina Simone|Antônio Carlos Jobim|Daft Punk|Los Lobos|Ærøskøbing Brass", artists, "|")
    split("Love|Night|Road|Fire|Blue|Heart|Song|Dance|River|Time|Dream|Rain", words, "|")
    split("Rock|Jazz|Latin|Blues|Pop|Metal|Classical|Soul|Reggae|World", categories, "|")
    split("CD|LP|Cassette|Other|Video", media, "|")
    print "MUS:Artist,MUS:Title,MUS:Album,MUS:Media,MUS:FileNumber,MUS:ReleaseDate," \
          "MUS:ChartNumber,MUS:TrackNumber,MUS:Time,MUS:Composer,MUS:Style,CAT:Category"
    for (i = 1; i <= n; i++) {
        artist = pick(artists, 13) " " int(i / 50)
        gsub(/"/, "\"\"", artist)
        title = pick(words, 12) " " pick(words, 12) " " i
        album = pick(words, 12) ", Vol. " int(i / 12)
        seconds = 90 + int(rand() * 400)
        printf "\"%s\",\"%s\",\"%s\",\"%s\",\"F%d\",\"\",%d,%d,\"00:%02d:%02d\",\"%s, %s\",\"Style %d\",\"%s\"\n",
            artist, title, album, pick(media, 5), int(i / 12), int(rand() * 101), i % 12 + 1,
            int(seconds / 60), seconds % 60, pick(words, 12), pick(words, 12), i % 7,
            pick(categories, 10)
    }
}
